#pragma once
// Localisation of a Qt window from its "FormN" section of local.txt: the window title, the
// captions, hints and file-dialog filters of the controls found by their object names.
// Qt fonts are Unicode, so the character set codes of the file are kept but change nothing.
#include <QString>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "config/LocalisableWindow.h"

class QWidget;

namespace wirvela {

class TMessages;

class QtLocalisableWindow final : public LocalisableWindow {
public:
    QtLocalisableWindow(QWidget& window, std::string formName);

    std::string_view FormName() const override { return formName_; }
    void SetTitle(std::string_view text) override;
    void SetFontCharset(int charset) override { charset_ = charset; }
    void SetControlCaption(std::string_view control, std::string_view text) override;
    void SetControlFontCharset(std::string_view, int) override {}
    void SetControlHint(std::string_view control, std::string_view text) override;
    // Kept for the window's file dialogs (Filter); a control of that name, if any, also
    // gets it as its "filter" property.
    void SetControlFilter(std::string_view control, std::string_view filter) override;

    int Charset() const { return charset_; }
    // The filter set for a file dialog, in the file's form ("Text|*.plt|..."); empty when none.
    std::string Filter(std::string_view control) const;

private:
    QWidget& window_;
    std::string formName_;
    int charset_ = 0;
    std::map<std::string, std::string, std::less<>> filters_;
};

// Localises `window` from section `formName` when local.txt is present: the title and then
// the listed controls in order. Windows with file dialogs use QtLocalisableWindow itself to
// keep the filters.
void LocaliseWidget(const TMessages& messages, QWidget& window, std::string_view formName,
                    std::span<const LocalisedControl> controls);

// A file-dialog filter of local.txt ("HP-GL drawing|*.plt|DXF|*.dxf;*.DXF") in Qt's form
// ("HP-GL drawing (*.plt);;DXF (*.dxf *.DXF)"). A description without a pattern is dropped.
QString QtFileFilter(std::string_view filter);

}  // namespace wirvela

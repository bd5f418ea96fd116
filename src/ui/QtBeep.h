#pragma once
// The program's beep as the desktop's bell. Beep() may be called from any thread; the
// sound is made on the GUI thread. The hook is installed while a QtBeep exists: create it
// after the QApplication and before worker threads start, destroy it before the application.
namespace wirvela {

class QtBeep {
public:
    QtBeep();
    ~QtBeep();
    QtBeep(const QtBeep&) = delete;
    QtBeep& operator=(const QtBeep&) = delete;
};

}  // namespace wirvela

#pragma once
// How a dialog was closed, as its caller reads it once the dialog is hidden: every
// window model that can be shown modally reports it with this one type.

namespace wirvela {

enum class ModalResult { None, Ok, Cancel };

}  // namespace wirvela

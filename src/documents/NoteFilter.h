#pragma once
// Reading without notes: the note paragraphs (the "Notes" label and the note bodies at the end of
// each chapter) taken out of a loaded document, and BookText made again without them.
#include "documents/DocumentLoader.h"

namespace orasent {

// False, and the load unchanged, when it holds no notes. Contents entries that pointed into the
// notes point to the paragraph after them, or are left out at the end.
bool dropNotes(DocumentLoad* load);

} // namespace orasent

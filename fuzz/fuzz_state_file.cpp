// The reading-state file reader on arbitrary bytes, then a write of what it restored.
#include "FuzzInput.h"
#include "SilentReaderPort.h"
#include "reader/ReaderModel.h"
#include "reader/StateFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeTemporaryFile(data, size);
    const orasent::SavedReadingState state = orasent::readStateFile(path);
    orasent::test::SilentReaderPort port;
    orasent::ReaderModel model(port);
    orasent::applyState(state, model);
    if (model.bookNum() < 0 || model.bookNum() > 100 || model.seconds() < 0 || model.seconds() > 32)
        __builtin_trap();
    (void)orasent::formatStateFile(model, state.fontSize.value_or(18.0));
    return 0;
}

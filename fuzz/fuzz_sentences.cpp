// Sentence steps, the previous-sentence scan and the bookmark commands on arbitrary text and
// arbitrary (even absurd) positions.
#include "FuzzInput.h"
#include "SilentReaderPort.h"
#include "reader/ReaderModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orasent::test::SilentReaderPort port;
    orasent::ReaderModel model(port);
    model.setNextPos(fuzz::takeDouble(data, size));
    model.setLastPos(fuzz::takeDouble(data, size));
    const double bookmark = fuzz::takeDouble(data, size);
    const uint8_t commands = fuzz::takeByte(data, size);
    model.setBookText(QString::fromUtf8(reinterpret_cast<const char*>(data), int(size)));
    model.setBookMarkAt(1, bookmark);
    model.setBookMarkAt(2, bookmark / 2);
    model.setBookNum(commands % 3);
    for (int i = 0; i < 8; ++i) {
        switch ((commands >> i) & 7) {
        case 0:
            model.talk(1);
            break;
        case 1:
            model.talk(2);
            break;
        case 2:
            model.SpreadBookmarks();
            break;
        case 3:
            model.nextBookmark();
            break;
        case 4:
            model.prevBookmark();
            break;
        case 5:
            model.setBookmark();
            break;
        case 6:
            model.ReplayScan();
            break;
        default:
            model.timerTick();
            break;
        }
        if (model.bookNum() < 0 || model.bookNum() > 100)
            __builtin_trap();
    }
    return 0;
}

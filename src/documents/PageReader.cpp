#include "documents/PageReader.h"

#include <mutex>

namespace orasent {

namespace {
std::mutex& readerMutex() {
    static std::mutex mutex;
    return mutex;
}
PageReader& registered() {
    static PageReader reader;
    return reader;
}
} // namespace

void setPageReader(const PageReader& reader) {
    std::lock_guard<std::mutex> lock(readerMutex());
    registered() = reader;
}

PageReader pageReader() {
    std::lock_guard<std::mutex> lock(readerMutex());
    return registered();
}

} // namespace orasent

#include "documents/DocumentLoader.h"

#include "documents/BookTextLoader.h"
#include "recognition/ImagePages.h"
#include "recognition/PictureReading.h"

namespace orasent {

DocumentLoad loadDocument(const QString& path, const LoadProgress& progress) {
    if (isPictureFile(path))
        return loadImageDocument(path, progress);
    DocumentLoad load;
    load.status = loadBookText(path, &load.bookText) ? DocumentLoad::Status::Loaded
                                                     : DocumentLoad::Status::Failed;
    return load;
}

bool isReadablePath(const QString& path) {
    return path.toUpper().contains(QLatin1String(".TXT")) || hasPictureExtension(path);
}

QString readableTypesMessage() {
    return QStringLiteral(
        "Can not read this file type. Can only read files with an extension of dot t x t");
}

} // namespace orasent

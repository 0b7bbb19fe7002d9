#pragma once
// What an export killed on the way (SIGKILL, a power cut) left behind is found and removed.
// Every export temporary, file or folder, is named ".orasent-export-<process id>-..." beside its
// target, and while an export runs a record of its own in the working folder lists the exact
// paths of its temporaries. Only what has that name and belongs to no running export is removed.
#include <QString>
#include <QStringList>

namespace orasent {

// ".orasent-export-<this process's id>-": the start of each temporary's name.
QString exportTemporaryPrefix();
// Whether `name` (a file name, not a path) is that of an export temporary or record; its
// process id in *pid.
bool isExportTemporaryName(const QString& name, qint64* pid = nullptr);

// The record of one running export: written whole (through the atomic writer) each time a
// temporary is added, removed with the export.
class ExportRecord {
public:
    explicit ExportRecord(const QString& workingFolder);
    ~ExportRecord();
    ExportRecord(const ExportRecord&) = delete;
    ExportRecord& operator=(const ExportRecord&) = delete;

    void add(const QString& temporaryPath);
    QString path() const { return m_path; }

private:
    QString m_path;
    QStringList m_temporaries;
};

// The temporaries named by the records in `workingFolder` of exports no longer running, and
// those records; returns what was removed.
QStringList removeRecordedLeftovers(const QString& workingFolder);
// The export temporaries in `folder` of exports no longer running; returns what was removed.
QStringList removeLeftoversIn(const QString& folder);

} // namespace orasent

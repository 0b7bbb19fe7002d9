// The command line parser on arbitrary argument lists: NUL bytes split the input into arguments.
#include "app/CommandLine.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList arguments;
    for (const QByteArray& part : bytes.split('\0'))
        arguments << QString::fromLocal8Bit(part);
    const orasent::CommandLine line = orasent::parseCommandLine(arguments);
    if (line.action == orasent::CommandLine::Action::UsageError && line.error.isEmpty())
        __builtin_trap(); // every usage error says what was wrong
    if (line.action == orasent::CommandLine::Action::Run && !line.file.isEmpty() &&
        !arguments.contains(line.file))
        __builtin_trap();
    return 0;
}

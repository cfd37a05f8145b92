#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

// A broken rule ends the run the way a crash does, so the fuzzer keeps the input that broke it.
[[noreturn]] inline void FuzzFailure(const char* rule, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, rule);
    std::abort();
}

#define FUZZ_CHECK(rule) ((rule) ? void(0) : FuzzFailure(#rule, __FILE__, __LINE__))

// A file in a folder of its own for the whole run, in memory where the machine offers that: the
// harnesses write and sync files on every input.
inline QString ScratchFile(const QString& name) {
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/plovik-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/plovik-fuzz-XXXXXX"));
    return folder.filePath(name);
}

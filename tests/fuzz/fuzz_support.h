// What the fuzz targets share: the headers most of them need, a scratch file per fuzzing process (runs
// go side by side) and the check that makes a broken promise a finding.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "text/sjis.h"

// Aborts, so that libFuzzer keeps the input.
inline void require(bool promise)
{
    if (!promise)
        abort();
}

// "/dev/shm/mivra_NAME_fuzz_PID" and the suffix, written with `size` bytes.
inline std::string scratch_file(const char *name, const void *bytes, size_t size, const char *suffix = "")
{
    const std::string path =
        "/dev/shm/mivra_" + std::string(name) + "_fuzz_" + std::to_string(getpid()) + suffix;
    FILE *f = fopen(path.c_str(), "wb");
    require(f && fwrite(bytes, 1, size, f) == size && fclose(f) == 0);
    return path;
}

// The text ends inside its buffer.
inline void require_terminated(const char *text, size_t capacity)
{
    require(strnlen(text, capacity) < capacity);
}

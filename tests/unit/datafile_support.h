// Test support shared by the unit tests: the headers most of them need, a fresh executable directory
// per test with real files, loading a data file written from a test's text, code page conversion
// and menus as text.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <initializer_list>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "app/process_state.h"
#include "datafile/item_store.h"
#include "datafile/loader.h"
#include "datafile/settings.h"
#include "menus/menu_model.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "target/target.h"
#include "text/sjis.h"

// A temporary executable directory ("/"-ended, as exe_dir ends in a separator) holding the data
// file "mivra.ini"; removed with everything in it at the end of the test.
struct datafile_dir {
    std::string dir;

    datafile_dir()
    {
        reset_process_state();
        reset_fake_system();
        char pattern[] = "/tmp/mivra_datafile_XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("no temporary directory");
        dir = std::string(pattern) + "/";
        copy_text(settings.exe_dir, sizeof settings.exe_dir, dir.c_str());
        copy_text(settings.data_file_name, sizeof settings.data_file_name, "mivra.ini");
        copy_text(settings.data_file_path, sizeof settings.data_file_path, path("mivra.ini").c_str());
        copy_text(settings.recorder_path, sizeof settings.recorder_path, path("hist.exe").c_str());
        copy_text(settings.log_file_path, sizeof settings.log_file_path, path("log.ini").c_str());
    }
    ~datafile_dir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::string path(const std::string &name) const { return dir + name; }
    // Writes a file, making the directories it lies in; a name ending in "/" makes a directory.
    void write(const std::string &name, const std::string &bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
        if (name.back() != '/')
            std::ofstream(path(name), std::ios::binary) << bytes;
    }
    // Writes the data file and loads it with owner window 1; the run's modes start from it.
    int load(const std::string &bytes) const
    {
        write("mivra.ini", bytes);
        const int loaded = load_data_file(1);
        start_run_modes();
        return loaded;
    }
};

inline std::string read_all(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// Converts between UTF-8 (files kept in the repository) and code page 932 (what the loader reads); a
// byte that does not convert is written as \xNN.
inline std::string convert(const std::string &in, const char *to, const char *from)
{
    iconv_t cd = iconv_open(to, from);
    std::string out;
    char *src = const_cast<char *>(in.data());
    for (size_t left = in.size(); left > 0;) {
        char buffer[64], *dst = buffer;
        size_t room = sizeof buffer, r = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(*src++));
            out += escaped;
            --left;
        }
    }
    iconv_close(cd);
    return out;
}

// prefix + i + joint for i from `from` up to, not including, `to`.
inline std::string numbered(const char *prefix, int from, int to, const char *joint = "\n")
{
    std::string out;
    for (int i = from; i < to; ++i)
        out += prefix + std::to_string(i) + joint;
    return out;
}

// `text` `count` times over.
inline std::string repeated(const std::string &text, size_t count)
{
    std::string all;
    while (count-- > 0)
        all += text;
    return all;
}

inline std::string joined(std::initializer_list<int32_t> values)
{
    std::string all;
    for (int32_t v : values)
        all += (all.empty() ? "" : " ") + std::to_string(v);
    return all;
}

// What describe_menu shows of each entry; without shown_submenus a built submenu shows its entry count,
// first and last caption.
enum { shown_ids = 1, shown_captions = 2, shown_submenus = 4, shown_all = 7 };

// One menu as text: "1000 a; sep 1001; |1002 b; *6121 c; 1003 G >group(0); 6210 V [6220 x]" (column
// break '|', check mark '*', a lazy submenu with its kind and entry count, a built one in brackets).
inline std::string describe_menu(const menu_model &model, int32_t menu, int shown = shown_all)
{
    static const char *const lazy_names[] = {"filled", "group", "history", "text file"}; // by menu_lazy_kind
    std::string out;
    for (int32_t e = model.menus[menu].first; e >= 0; e = model.entries[e].next) {
        const menu_entry &entry = model.entries[e];
        const std::string id = shown & shown_ids ? std::to_string(entry.id) : "";
        if (!out.empty())
            out += "; ";
        if (entry.flags & menu_separator) {
            out += "sep" + (id.empty() ? "" : " " + id);
            continue;
        }
        out += std::string(entry.flags & menu_column_break ? "|" : "") +
               (entry.flags & menu_checked ? "*" : "") + id +
               (shown & shown_captions ? (id.empty() ? "" : " ") + std::string(entry.caption) : "");
        const int32_t sub = entry.submenu;
        const menu_node *node = sub >= 0 ? &model.menus[sub] : nullptr;
        if (node && node->lazy == menu_filled && shown & shown_submenus)
            out += " [" + describe_menu(model, sub, shown) + "]";
        else if (node && node->lazy == menu_filled)
            out += " [" + std::to_string(node->count) + ": " + model.entries[node->first].caption + " .. " +
                   model.entries[node->last].caption + "]";
        else if (node)
            out += std::string(" >") + lazy_names[node->lazy] + "(" + std::to_string(node->count) + ")";
    }
    return out;
}

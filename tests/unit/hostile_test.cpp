// Files that end in the first byte of a double-byte character, one of each kind the program reads:
// what is read stops at the file's end, and no file is changed by reading it.
#include "datafile_support.h"

#include "expand/expand.h"

namespace {

// Item 0 becomes a file entry over the file; what expanding it gives.
std::string read_file_item(const std::string &path)
{
    item_entry &e = store.items[0];
    e.is_file = 1;
    copy_text(e.text, sizeof e.text, path.c_str());
    store.item_count = 1;
    const int expanded = expand_item_file(1, 0, 0, 0);
    return std::to_string(expanded) + " " + output.output_text;
}

} // namespace

// The text file and the log are read line by line as the data file is: their rows with a cut end
// are in TextFiles.MenuLayoutGrid and Log.ReadKeepsKnownCaptionsUpToTheLimitAndWriteMovesTheChosenOneFirst,
// hist.ini's in History.MenuLayout.
TEST(HostileFiles, CutDoubleByteEndIsReadUpToTheFileEndAndTheFileStaysAsItWas)
{
    const char lead = '\x82';
    struct row {
        const char *name, *file;
        std::string bytes;
        std::string (*read)(const datafile_dir &d);
        std::string got;
    } rows[] = {
        {"data file: its last line, without a line feed, is not read", "mivra.ini",
         "[data]\nab | cd\nef | gh" + std::string(1, lead),
         [](const datafile_dir &) {
             const int loaded = load_data_file(1);
             return std::to_string(loaded) + " " + std::to_string(store.item_count) + " " +
                    store.items[0].text;
         },
         "1 1 ab"},
        {"file item: pasted as the file holds it", "f.txt", "ab" + std::string(1, lead),
         [](const datafile_dir &d) { return read_file_item(d.path("f.txt")); }, "1 ab\x82"},
        {"path file of @path=: the search path keeps it", "path.txt", "C:\\a;" + std::string(1, lead),
         [](const datafile_dir &d) {
             const int loaded = d.load("[system]\n@path=" + d.path("path.txt") + "\n%end\n");
             return std::to_string(loaded) + " " + shown_option("@path");
         },
         "1 1 C:\\a;\x82"},
    };
    for (const row &r : rows) {
        datafile_dir d;
        d.write(r.file, r.bytes);
        EXPECT_EQ(r.read(d), r.got) << r.name;
        EXPECT_EQ(read_all(d.path(r.file)), r.bytes) << r.name << ": the file was changed";
    }
}

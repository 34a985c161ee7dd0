// Fuzzes the delivery of a text: chord and tab marks are parsed from the text itself, so any bytes
// must be delivered without reading past the text. The first byte picks the output mode and flags,
// the second the key table.
#include "fuzz_support.h"
#include "output/output_state.h"
#include "output/paste.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // The store and output_text are megabytes: clear only what the delivery reads besides the text.
    reset_settings();
    store.key_count = 0;
    const size_t text_offset = offsetof(output_state, output_text) + output_text_capacity;
    memset(reinterpret_cast<char *>(&output) + text_offset, 0, sizeof output - text_offset);
    reset_fake_system();
    const uint8_t modes = data[0];
    output.key_macro_present = (modes >> 2) & 1;
    output.tab_macro_present = (modes >> 3) & 1;
    output.history_chosen = (modes >> 4) & 1;
    output.output_source = (modes >> 5) & 1 ? 2 : 0;
    settings.preview_mode = (modes >> 6) & 1;
    settings.paste_key_count = (modes >> 7) & 1;
    settings.paste_keys[0] = 0x2D;
    // Register some key numbers, among them ones the text is likely to hold.
    static const char *codes[] = {"11", "56", "0D", "09", "2D", "tb"};
    for (int i = 0; i < 6; ++i) {
        if (data[1] & (1 << i)) {
            copy_text(store.key_code[store.key_count], sizeof store.key_code[0], codes[i]);
            copy_text(store.key_text[store.key_count], sizeof store.key_text[0], codes[i]);
            store.key_count++;
        }
    }
    const size_t length = std::min<size_t>(size - 2, output_text_capacity - 1);
    memcpy(output.output_text, data + 2, length);
    output.output_text[length] = '\0';
    paste_output(1, modes % 3);
    return 0;
}

#include "app/handover.h"
#include "datafile_support.h"

namespace {

// One row per sequence of events: "c" a WM_CLOSE, "a" a hand-over request, "[" the delivery begins,
// "]" it ends. Each message is answered "now" or "later"; the end of a delivery gives what follows.
TEST(Handover, MessagesDuringADeliveryWaitForItsEnd)
{
    const std::tuple<const char *, const char *, const char *> rows[] = {
        // name, events, answers
        {"outside a delivery both are carried out at once", "c a", "close:now activate:now"},
        {"requests in one delivery: one activation", "[ a a ]", "activate:later activate:later end:activate"},
        {"a close wins over a request", "[ a c ]", "activate:later close:later end:close"},
        {"the delivery's own close, posted, comes after its end", "[ ] c", "end:none close:now"},
        {"what followed one delivery is not repeated", "[ c ] [ ]", "close:later end:close end:none"},
    };
    const char *followups[] = {"none", "close", "activate"};
    for (const auto &[name, events, expected] : rows) {
        reset_handover();
        std::string out;
        for (const char *e = events; *e; ++e) {
            std::string step;
            if (*e == 'c')
                step = std::string("close:") + (handover_close_now() ? "now" : "later");
            else if (*e == 'a')
                step = std::string("activate:") + (handover_activate_now() ? "now" : "later");
            else if (*e == '[')
                handover_begin_delivery();
            else if (*e == ']')
                step = std::string("end:") + followups[handover_end_delivery()];
            if (!step.empty())
                out += (out.empty() ? "" : " ") + step;
        }
        EXPECT_EQ(out, expected) << name;
    }
}

} // namespace

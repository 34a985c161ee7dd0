// Fuzzes BREGEXP's adapter: the expression text and the target come from the input (split at the first
// zero byte; the first byte chooses whether the expression is wrapped in "m/.../" with k and i). A
// record is used again with its own and with another expression before it is freed.
#include "bregexp/bregexp.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const char *text = reinterpret_cast<const char *>(data + 1);
    const char *split = static_cast<const char *>(memchr(text, 0, size - 1));
    std::string str(text, split ? split : text + size - 1);
    if (data[0] & 1)
        str = "m/" + str + "/" + (data[0] & 2 ? "k" : "") + (data[0] & 4 ? "i" : "");
    // Exactly sized buffers, so that a read past the target or the message shows.
    std::vector<char> target(split ? split + 1 : text + size - 1, text + size - 1);
    std::vector<char> msg(80);
    char *begin = target.data(), *end = begin + target.size();
    BREGEXP *rx = nullptr;
    for (const std::string &each : {str, str, std::string("m/a|\x95\\\\/k")}) {
        const int r = BMatch(const_cast<char *>(each.c_str()), begin, end, &rx, msg.data());
        require(r != -1 || memchr(msg.data(), 0, msg.size()));
        require(r != 1 || (rx->startp[0] >= begin && rx->endp[0] <= end && rx->startp[0] <= rx->endp[0]));
    }
    BRegfree(rx);
    return 0;
}

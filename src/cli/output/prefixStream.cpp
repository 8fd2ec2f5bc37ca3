#include "cli/output/prefixStream.h"

TPrefixBuf::~TPrefixBuf() {
    // A last line without its line break is not lost.
    if (!FLine.empty()) FTarget << FPrefix << FLine << '\n' << std::flush;
}

TPrefixBuf::int_type TPrefixBuf::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    FLine += ch;
    if (ch == '\n') {
        FTarget << FPrefix << FLine << std::flush;
        FLine.clear();
    }
    return c;
}

std::streamsize TPrefixBuf::xsputn(const char* s, std::streamsize n) {
    for (std::streamsize i = 0; i < n; ++i)
        overflow(traits_type::to_int_type(s[i]));
    return n;
}

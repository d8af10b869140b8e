// The program's own source listing, in the ANSI code page: every line ends with CR LF and the last
// line is empty. It is cut from the sources when the program is built (tools/make_listing.py).
#pragma once

namespace orvanta {

extern const char 源码[];

} // namespace orvanta

// The encoding of the text that lines printed now carry. A received line is
// one sender's text, judged once as UTF-8 or Windows-1251; while its
// handlers print pieces of it, those pieces are in that encoding. All other
// text the module prints (what the user typed, names kept from the wire) is
// UTF-8. The module's own texts are Windows-1251 literals in either case.
// No Windows types: built natively too.
#pragma once

#include "protocol/wire_text.h"

class CReceivedTextScope {
public:
    explicit CReceivedTextScope(LineEncoding encoding);
    ~CReceivedTextScope();

    CReceivedTextScope(const CReceivedTextScope&) = delete;
    CReceivedTextScope& operator=(const CReceivedTextScope&) = delete;

    // The encoding of the pieces printed now: the innermost scope's, UTF-8
    // outside every scope.
    static LineEncoding Current();

private:
    LineEncoding m_outer;
};

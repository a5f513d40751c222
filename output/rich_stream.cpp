#include "output/rich_stream.h"

#include <richedit.h>
#include <string.h>

namespace {

const LPARAM kEnd = 0x7fffffff;

struct StreamReader {
    const std::string* text;
    size_t offset;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG capacity, LONG* read)
{
    StreamReader& reader = *(StreamReader*)cookie;
    size_t count = reader.text->size() - reader.offset;
    if (count > (size_t)capacity)
        count = (size_t)capacity;
    memcpy(buffer, reader.text->data() + reader.offset, count);
    reader.offset += count;
    *read = (LONG)count;
    return 0;
}

DWORD CALLBACK WriteStream(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* written)
{
    ((std::string*)cookie)->append((const char*)buffer, (size_t)count);
    *written = count;
    return 0;
}

} // namespace

void AppendRichText(HWND control, const std::string& richText)
{
    SendMessageA(control, EM_SETSEL, kEnd, kEnd);
    StreamReader reader = { &richText, 0 };
    EDITSTREAM stream = { (DWORD_PTR)&reader, 0, &ReadStream };
    SendMessageA(control, EM_STREAMIN, SF_RTF | SFF_SELECTION, (LPARAM)&stream);
    SendMessageA(control, EM_SETSEL, kEnd, kEnd);
}

std::string ReadRichText(HWND control, LONG from, LONG to)
{
    std::string richText;
    CHARRANGE range = { from, to };
    SendMessageA(control, EM_EXSETSEL, 0, (LPARAM)&range);
    EDITSTREAM stream = { (DWORD_PTR)&richText, 0, &WriteStream };
    SendMessageA(control, EM_STREAMOUT, SF_RTF | SFF_SELECTION, (LPARAM)&stream);
    SendMessageA(control, EM_SETSEL, kEnd, kEnd);
    return richText;
}

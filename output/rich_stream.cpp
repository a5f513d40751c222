#include "output/rich_stream.h"

#include <richedit.h>
#include <string.h>

#include <exception>

namespace {

const LPARAM kEnd = 0x7fffffff;

struct StreamReader {
    const std::string* text;
    size_t offset;
};

// Copies only: nothing here can throw into the control.
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

struct StreamWriter {
    std::string* richText;
    std::exception_ptr failure;
};

// No exception may unwind through the rich edit and user32 (in a 32-bit
// host that ends the process): it is kept for ReadRichText, and the non-zero
// result stops the control's writing.
DWORD CALLBACK WriteStream(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* written)
{
    StreamWriter& writer = *(StreamWriter*)cookie;
    *written = 0;
    try {
        g_pfnKeepWrittenRichText(*writer.richText, (const char*)buffer, (size_t)count);
    } catch (...) {
        writer.failure = std::current_exception();
        return 1;
    }
    *written = count;
    return 0;
}

void AppendBytes(std::string& richText, const char* bytes, size_t count)
{
    richText.append(bytes, count);
}

} // namespace

void (*g_pfnKeepWrittenRichText)(std::string& richText, const char* bytes, size_t count) = &AppendBytes;

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
    StreamWriter writer = { &richText, nullptr };
    // Selecting the range scrolls the control; a reading that fails leaves
    // the reader's view where it was.
    POINT view = {};
    SendMessageA(control, EM_GETSCROLLPOS, 0, (LPARAM)&view);
    CHARRANGE range = { from, to };
    SendMessageA(control, EM_EXSETSEL, 0, (LPARAM)&range);
    EDITSTREAM stream = { (DWORD_PTR)&writer, 0, &WriteStream };
    SendMessageA(control, EM_STREAMOUT, SF_RTF | SFF_SELECTION, (LPARAM)&stream);
    SendMessageA(control, EM_SETSEL, kEnd, kEnd);
    if (writer.failure) {
        SendMessageA(control, EM_SETSCROLLPOS, 0, (LPARAM)&view);
        std::rethrow_exception(writer.failure);
    }
    return richText;
}

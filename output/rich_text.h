// Output lines collected as rich text (RTF), so that the runs of many lines
// reach a rich-edit control in one insertion. A visible rich-edit control
// redraws after every insertion, which under Wine costs milliseconds each;
// one insertion per burst keeps the window up with a busy channel.
// No Windows types: built natively too.
#pragma once

#include "output/combining_marks.h"
#include "output/format_walk.h"

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// The walk's calls turned into the body of one RTF stream. The caret is
// always at the end of what was collected, so MoveCaretToEnd has nothing to
// do; the format the walk sets on the selection is the format of the next
// run, as in the control.
class RichTextRuns : public LineOutput {
public:
    void MoveCaretToEnd() override {}
    void ApplyFormat(const TextFormat& format) override { SetFormat(format); }
    void SetFormat(const TextFormat& format) override;
    void InsertRun(const char* run) override;
    void ScrollToBottom() override { m_scrollWanted = true; }

    // True when a line asked to be scrolled to the bottom: every line that
    // was not dropped.
    bool ScrollWanted() const { return m_scrollWanted; }
    bool HasText() const { return !m_body.empty(); }
    size_t BodySize() const { return m_body.size(); }
    // The paragraphs the collected text adds to the control.
    uint32_t LineBreaks() const { return m_lineBreaks; }

    // The complete stream: header, colour table and the collected runs. It
    // is all ASCII: text past ASCII went in as \uN escapes, and `codePage`
    // is what their '?' fallbacks and the control bytes' \'xx are read in.
    const std::string& ComposeStream(unsigned codePage);
    void Clear();

protected:
    ~RichTextRuns() = default;

private:
    size_t IndexColour(uint32_t colour);
    void WriteFormatChanges();

    uint32_t m_effects = 0;  // the format of the selection
    uint32_t m_colour = 0;
    bool m_formatWritten = false;  // the body has set every part at least once
    uint32_t m_writtenEffects = 0;
    uint32_t m_writtenColour = 0;
    bool m_scrollWanted = false;
    uint32_t m_lineBreaks = 0;
    CombiningMarkGuard m_guard;  // over the run being inserted
    std::vector<uint32_t> m_colours;  // \colortbl entries 1 to n
    std::string m_body;
    std::string m_stream;
};

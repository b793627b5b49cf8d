// The stage controller records chapter results without knowing how records are
// stored: the records object (persist/) implements this and registers itself.
#pragma once

class CChapterRecords {
public:
    virtual ~CChapterRecords() = default;
    virtual void MarkReached(int chapter) = 0;
    virtual int GetBestScore(int chapter) const = 0;
    virtual void SetBestScore(int chapter, int score) = 0;
};

// The records the stage controller writes to; null until the records exist.
extern CChapterRecords* g_pChapterRecords;

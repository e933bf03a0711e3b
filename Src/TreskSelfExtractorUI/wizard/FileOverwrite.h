#pragma once
// Asks, for a file that already exists in the destination, whether to overwrite it: Yes, Yes to
// All, No, No to All or Cancel. The file name is fitted keeping its end.

#include <string>

#include "wizard/SkinnedPrompt.h"

class CFileOverwrite : public CSkinnedPrompt {
public:
    explicit CFileOverwrite(const std::wstring& fileName);

protected:
    void SetTexts() override;

private:
    std::wstring fileName;
};

#pragma once

#include "platform/DialogItems.h"

#include <string>
#include <vector>

// A window that writes down every item operation, as "value 169 33",
// "text 125 33%" and "redraw 169".
class CRecordingWindow : public CDialogItems {
public:
    void SetItemValue(int theItemId, long theValue) override
    {
        itsCalls.push_back("value " + std::to_string(theItemId) + " " + std::to_string(theValue));
    }
    void SetItemText(int theItemId, const char* theText) override
    {
        itsCalls.push_back("text " + std::to_string(theItemId) + " " + theText);
    }
    void RedrawItem(int theItemId) override { itsCalls.push_back("redraw " + std::to_string(theItemId)); }

    // The texts set on one item, in order.
    std::vector<std::string> TextsOf(int theItemId) const
    {
        const std::string prefix = "text " + std::to_string(theItemId) + " ";
        std::vector<std::string> texts;
        for (const std::string& call : itsCalls)
            if (call.compare(0, prefix.size(), prefix) == 0)
                texts.push_back(call.substr(prefix.size()));
        return texts;
    }

    std::vector<std::string> itsCalls;
};

// The main thumbnail list as the main window configures and listens to it. The list itself
// (entries, drawing, selection) comes with the thumbnail list frame; until then this holds
// its configuration and its events.
#pragma once

#include <functional>
#include <string>

namespace kadrix::clinical {

struct ThumbnailListSeam {
    int thumbnailWidth = 150;
    double scale = 0.75;
    bool useFixedWidth = false;
    bool sortByPrintNo = false;
    bool rowMode = false;
    std::string videoPlaceholder;

    std::function<void(const std::string& path)> OnSelect;
    std::function<void(int index)> OnItemDblClick;

    // Entries whose saved state is "not saved".
    int unsavedCount() const { return 0; }
    void discardUnsaved() {}
};

}  // namespace kadrix::clinical

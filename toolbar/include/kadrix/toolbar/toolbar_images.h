// The process's toolbar pictures: 16 × 16 images that every toolbar of a host refers to by
// index. Indices are handed out consecutively from 0 and never change; nothing is removed.
// Not guarded: the host uses it from its user-interface thread.
#pragma once

#include <QImage>
#include <QSize>

#include <vector>

#include "kadrix/toolbar/export.h"

namespace kadrix::toolbar {

class KX_TOOLBAR_API ToolbarImages {
  public:
    static constexpr int kPictureWidth = 16;
    static constexpr int kPictureHeight = 16;
    // Hosts keep indices as signed 16-bit values; the collection never hands out one that
    // doesn't fit.
    static constexpr int kMaxCount = 32768;

    explicit ToolbarImages(int maxCount = kMaxCount);
    ToolbarImages(const ToolbarImages&) = delete;
    ToolbarImages& operator=(const ToolbarImages&) = delete;

    // Add a picture from a bitmap or an icon, scaled to the picture size when it has another,
    // keeping whatever transparency it has. The new index, or -1 for a null picture or a full
    // collection (nothing is added then).
    int addImage(const QImage& bitmap);
    int addIcon(const QImage& icon);

    int count() const { return static_cast<int>(pictures_.size()); }
    bool full() const { return count() >= maxCount_; }
    QSize pictureSize() const { return {kPictureWidth, kPictureHeight}; }
    // Null outside 0 .. count() - 1.
    QImage picture(int index) const;

  private:
    int add(const QImage& picture);

    int maxCount_;
    std::vector<QImage> pictures_;
};

}  // namespace kadrix::toolbar

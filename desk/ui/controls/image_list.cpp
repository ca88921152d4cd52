#include "desk/ui/controls/image_list.h"

#include "desk/ui/runtime.h"

namespace velt::ui {

namespace {
const ListImage& emptyImage() {
    static const ListImage none;
    return none;
}
}  // namespace

Status ImageList::Add(const std::string& key, const Picture& picture) {
    if (inert()) return Status::Refused;
    images_.push_back({key, picture});
    return Status::Ok;
}

Status ImageList::Add(const std::string& key, const std::filesystem::path& file) {
    return Add(key, Picture::load(file));
}

const ListImage& ImageList::ListImages(int i) const {
    if (i < 1 || i > Count()) {
        runtime().refuse(traceName() + ": ListImages index out of range");
        return emptyImage();
    }
    return images_[static_cast<size_t>(i - 1)];
}

const ListImage& ImageList::ListImages(const std::string& key) const {
    for (const auto& image : images_) {
        if (image.key == key) return image;
    }
    runtime().refuse(traceName() + ": ListImages key unknown");
    return emptyImage();
}

}  // namespace velt::ui

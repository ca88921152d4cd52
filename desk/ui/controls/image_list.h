// Image list: pictures with keys, reached 1-based (ListImages(1)) or by key. An index out of
// range or an unknown key is refused and gives an empty entry.
#pragma once

#include <filesystem>
#include <vector>

#include "desk/ui/control.h"
#include "desk/ui/picture.h"

namespace velt::ui {

struct ListImage {
    std::string key;
    Picture picture;
    const std::string& Key() const { return key; }
    const Picture& getPicture() const { return picture; }
};

class ImageList : public Control {
  public:
    ImageList(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    // Appends a picture (from a file of the data folder, or a picture already made).
    Status Add(const std::string& key, const Picture& picture);
    Status Add(const std::string& key, const std::filesystem::path& file);
    int Count() const { return static_cast<int>(images_.size()); }
    const ListImage& ListImages(int i) const;
    const ListImage& ListImages(const std::string& key) const;

  protected:
    QWidget* createWidget(QWidget*) override { return nullptr; }
    void resetState() override { images_.clear(); }

  private:
    std::vector<ListImage> images_;
};

}  // namespace velt::ui

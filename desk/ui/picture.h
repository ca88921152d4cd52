// A picture is a value with an identity: copies compare equal, two loads of the same file don't.
// The metronome light and its mirrors compare pictures this way.
#pragma once

#include <QImage>
#include <filesystem>
#include <memory>

namespace velt::ui {

class Picture {
  public:
    Picture() = default;
    explicit Picture(QImage image) : image_(std::make_shared<const QImage>(std::move(image))) {}
    // An empty picture when the file can't be read.
    static Picture load(const std::filesystem::path& file) {
        QImage image(QString::fromStdString(file.string()));
        return image.isNull() ? Picture() : Picture(std::move(image));
    }
    bool empty() const { return !image_ || image_->isNull(); }
    const QImage* image() const { return image_.get(); }
    bool operator==(const Picture& other) const { return image_ == other.image_; }

  private:
    std::shared_ptr<const QImage> image_;
};

}  // namespace velt::ui

// The CD drive double: a folder of WAV files is a disc.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/outside/cd_ripper/cd_drives.h"
#include "platform/wav/wav_file.h"

namespace velt::platform::cd {

namespace {

namespace fs = std::filesystem;

class FolderDrive : public Drive {
  public:
    explicit FolderDrive(fs::path folder) : folder_(std::move(folder)) {}

    Disc readDisc(bool& changed) override {
        std::vector<fs::path> tracks;
        Disc disc;
        std::error_code ec;
        if (fs::is_directory(folder_, ec) && !ejected_) {
            disc.present = true;
            disc.audio = !fs::exists(folder_ / "DATA", ec);
            for (const auto& entry : fs::directory_iterator(folder_, ec)) {
                std::string ext = entry.path().extension().string();
                std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
                if (ext == ".wav") tracks.push_back(entry.path());
            }
            std::sort(tracks.begin(), tracks.end());
            for (const auto& track : tracks) {
                const auto layout = wav::readLayout(track);
                const int64_t bytes = layout ? static_cast<int64_t>(layout->dataBytes) : 0;
                disc.trackSectors.push_back(bytes / kBytesPerSector);
            }
            disc.tracks = static_cast<int>(tracks.size());
            if (!disc.audio) disc.trackSectors.clear();
        }
        changed = tracks != tracks_ || disc.present != present_;
        tracks_ = std::move(tracks);
        present_ = disc.present;
        return disc;
    }

    bool readSectors(int track, int64_t sector, int count, std::vector<uint8_t>& out) override {
        std::error_code ec;
        if (track < 1 || track > static_cast<int>(tracks_.size()) || ejected_ ||
            !fs::is_directory(folder_, ec)) {
            return false;
        }
        const fs::path& file = tracks_[static_cast<size_t>(track - 1)];
        const auto layout = wav::readLayout(file);
        if (!layout) return false;
        const uint64_t at = static_cast<uint64_t>(sector) * kBytesPerSector;
        const uint64_t want = static_cast<uint64_t>(count) * kBytesPerSector;
        if (at + want > layout->dataBytes) return false;
        std::ifstream in(file, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(layout->dataOffset + at));
        out.resize(want);
        in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(want));
        return static_cast<uint64_t>(in.gcount()) == want;
    }

    void eject() override { ejected_ = true; }
    void closeTray() override { ejected_ = false; }
    bool transfersOnClock() const override { return true; }
    bool stalls() const override {
        std::error_code ec;
        return fs::exists(folder_ / "STALL", ec);
    }

  private:
    fs::path folder_;
    std::vector<fs::path> tracks_;
    bool present_ = false;
    bool ejected_ = false;
};

class FolderDrives : public Drives {
  public:
    explicit FolderDrives(std::vector<std::string> folders) : folders_(std::move(folders)) {}
    std::vector<std::string> names() override { return folders_; }
    std::unique_ptr<Drive> open(int index) override {
        if (index < 0 || index >= static_cast<int>(folders_.size())) return nullptr;
        std::error_code ec;
        if (fs::exists(fs::path(folders_[static_cast<size_t>(index)]) / "BUSY", ec)) return nullptr;
        return std::make_unique<FolderDrive>(folders_[static_cast<size_t>(index)]);
    }

  private:
    std::vector<std::string> folders_;
};

}  // namespace

std::unique_ptr<Drives> folderDrives(const std::vector<std::string>& folders) {
    return std::make_unique<FolderDrives>(folders);
}

}  // namespace velt::platform::cd

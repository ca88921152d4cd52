// The machine's CD drives through libcdio.
#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>

#include "platform/outside/cd_ripper/cd_drives.h"

namespace velt::platform::cd {

namespace {

// libcdio reports to standard error by default; a drive that can't be read is an ordinary
// outcome here, told through results, so its messages are dropped.
void quietLog(cdio_log_level_t, const char*) {}

void silenceLibcdio() {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(quietLog); });
}

// A track read with paranoia's full error correction, never skipping a sector it can't verify.
class ParanoiaReader : public Drive::TrackReader {
  public:
    ParanoiaReader(CdIo_t* cdio, lsn_t first, int64_t sectors) : remaining_(sectors) {
        drive_ = cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
        if (drive_ == nullptr || cdio_cddap_open(drive_) != 0) return;
        paranoia_ = cdio_paranoia_init(drive_);
        if (paranoia_ == nullptr) return;
        cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL);
        cdio_paranoia_seek(paranoia_, first, SEEK_SET);
    }
    ~ParanoiaReader() override {
        if (paranoia_) cdio_paranoia_free(paranoia_);
        if (drive_) cdio_cddap_close_no_free_cdio(drive_);
    }
    bool next(std::vector<uint8_t>& sector) override {
        if (paranoia_ == nullptr || remaining_ <= 0) return false;
        const int16_t* data = cdio_paranoia_read(paranoia_, nullptr);
        if (data == nullptr) return false;
        sector.resize(kBytesPerSector);
        std::memcpy(sector.data(), data, kBytesPerSector);
        --remaining_;
        return true;
    }

  private:
    cdrom_drive_t* drive_ = nullptr;
    cdrom_paranoia_t* paranoia_ = nullptr;
    int64_t remaining_;
};

class CdioDrive : public Drive {
  public:
    CdioDrive(CdIo_t* cdio, std::string device) : cdio_(cdio), device_(std::move(device)) {}
    ~CdioDrive() override {
        if (cdio_) cdio_destroy(cdio_);
    }

    Disc readDisc(bool& changed) override {
        Disc disc;
        changed = !read_ || cdio_get_media_changed(cdio_) != 0;
        if (!changed) return last_;
        read_ = true;
        const track_t first = cdio_get_first_track_num(cdio_);
        const track_t count = cdio_get_num_tracks(cdio_);
        if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
            last_ = disc;
            return disc;
        }
        disc.present = true;
        disc.tracks = count;
        disc.audio = cdio_get_track_format(cdio_, first) == TRACK_FORMAT_AUDIO;
        firstLsn_.clear();
        for (track_t t = first; t < first + count; ++t) {
            if (cdio_get_track_format(cdio_, t) != TRACK_FORMAT_AUDIO) break;
            const lsn_t start = cdio_get_track_lsn(cdio_, t);
            const lsn_t end = cdio_get_track_last_lsn(cdio_, t);
            if (start == CDIO_INVALID_LSN || end == CDIO_INVALID_LSN || end < start) break;
            firstLsn_.push_back(start);
            disc.trackSectors.push_back(static_cast<int64_t>(end) - start + 1);
        }
        last_ = disc;
        return disc;
    }

    bool readSectors(int track, int64_t sector, int count, std::vector<uint8_t>& out) override {
        if (track < 1 || track > static_cast<int>(firstLsn_.size()) || count <= 0) return false;
        out.resize(static_cast<size_t>(count) * kBytesPerSector);
        const lsn_t lsn = firstLsn_[static_cast<size_t>(track - 1)] + static_cast<lsn_t>(sector);
        return cdio_read_audio_sectors(cdio_, out.data(), lsn, static_cast<uint32_t>(count)) ==
               DRIVER_OP_SUCCESS;
    }

    std::unique_ptr<TrackReader> readTrack(int track, int64_t sectors) override {
        if (track < 1 || track > static_cast<int>(firstLsn_.size())) return nullptr;
        return std::make_unique<ParanoiaReader>(cdio_, firstLsn_[static_cast<size_t>(track - 1)],
                                                sectors);
    }

    void eject() override { cdio_eject_media_drive(device_.c_str()); }
    void closeTray() override {
        driver_id_t driver = DRIVER_DEVICE;
        cdio_close_tray(device_.c_str(), &driver);
        read_ = false;
    }

  private:
    CdIo_t* cdio_;
    std::string device_;
    bool read_ = false;
    Disc last_;
    std::vector<lsn_t> firstLsn_;
};

class CdioDrives : public Drives {
  public:
    CdioDrives() {
        silenceLibcdio();
        char** list = cdio_get_devices(DRIVER_DEVICE);
        for (char** d = list; d != nullptr && *d != nullptr; ++d) names_.emplace_back(*d);
        cdio_free_device_list(list);
    }
    std::vector<std::string> names() override { return names_; }
    std::unique_ptr<Drive> open(int index) override {
        if (index < 0 || index >= static_cast<int>(names_.size())) return nullptr;
        const std::string& device = names_[static_cast<size_t>(index)];
        CdIo_t* cdio = cdio_open(device.c_str(), DRIVER_DEVICE);
        if (cdio == nullptr) return nullptr;
        return std::make_unique<CdioDrive>(cdio, device);
    }

  private:
    std::vector<std::string> names_;
};

std::vector<std::string> splitFolders(const std::string& list) {
    std::vector<std::string> folders;
    std::stringstream in(list);
    std::string folder;
    while (std::getline(in, folder, ':'))
        if (!folder.empty()) folders.push_back(folder);
    return folders;
}

}  // namespace

std::unique_ptr<Drives> systemDrives() {
    const char* doubles = std::getenv("VELTRANE_CD_DRIVES");
    if (doubles != nullptr && *doubles != '\0') return folderDrives(splitFolders(doubles));
    return std::make_unique<CdioDrives>();
}

}  // namespace velt::platform::cd

#include "desk/ui/dialogs/common_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>
#include <cstdio>
#include <filesystem>

#include "desk/ui/dialogs/dialog_owner.h"
#include "desk/ui/dialogs/message_box.h"
#include "desk/ui/runtime.h"

namespace velt::ui {

namespace fs = std::filesystem;

std::string CommonDialog::effectiveDefaultExt() const {
    std::string ext = s_.defaultExt;
    if (ext.rfind("*.", 0) == 0) {
        ext = ext.substr(2);
    } else if (ext.rfind(".", 0) == 0) {
        ext = ext.substr(1);
    }
    if (ext.find_first_of("*?;") != std::string::npos) return "";
    return ext;
}

std::string CommonDialog::startFolder() const {
    fs::path name(s_.fileName);
    if (name.has_parent_path() && fs::is_directory(name.parent_path())) {
        return name.parent_path().string();
    }
    return s_.initDir;
}

CommonDialog::Verdict CommonDialog::judge(const std::string& chosen, bool save) const {
    Verdict v;
    fs::path path(chosen);
    if (chosen.empty()) return {Verdict::Refuse, chosen, "no file name"};
    if (path.is_relative()) {
        std::string folder = startFolder();
        path = fs::path(folder.empty() ? fs::current_path().string() : folder) / path;
    }
    if (s_.flags & NoValidate) return {Verdict::Accept, path.string(), ""};
    std::string ext = effectiveDefaultExt();
    if (!ext.empty() && !path.has_extension() && (save || !fs::exists(path))) {
        path += "." + ext;
    }
    if ((s_.flags & PathMustExist) && !fs::is_directory(path.parent_path())) {
        return {Verdict::Refuse, path.string(), "the folder doesn't exist"};
    }
    if (!save && (s_.flags & FileMustExist) && !fs::exists(path)) {
        return {Verdict::Refuse, path.string(), "the file doesn't exist"};
    }
    if (save && (s_.flags & OverwritePrompt) && fs::exists(path)) {
        return {Verdict::AskOverwrite, path.string(), ""};
    }
    return {Verdict::Accept, path.string(), ""};
}

bool CommonDialog::confirmOverwrite(const std::string& path) const {
    std::string name = fs::path(path).filename().string();
    return MessageBox(name + " already exists.\nDo you want to replace it?", YesNo + Exclamation,
                      s_.title) == Yes;
}

void CommonDialog::accept(const std::string& path) {
    s_.fileName = path;
    s_.fileTitle = fs::path(path).filename().string();
}

DialogResult CommonDialog::ShowOpen() {
    return show(false);
}
DialogResult CommonDialog::ShowSave() {
    return show(true);
}

namespace {

// "Text|*.wav;*.mp3|All|*.*" as Qt name filters; each pattern also in upper case, since files
// made on other systems carry ".WAV".
QStringList qtFilters(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            patterns << p.trimmed();
            if (p.trimmed().toUpper() != p.trimmed()) patterns << p.trimmed().toUpper();
        }
        out << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return out;
}

}  // namespace

DialogResult CommonDialog::show(bool save) {
    if (runtime().batchMode) {
        std::fprintf(stderr, "%s: cancelled (batch mode)\n", s_.title.c_str());
        std::fflush(stderr);
        if (runtime().driver) runtime().driver->fileDialog(*this, save, true);
        return DialogResult::Cancelled;
    }
    if (runtime().driver) return runtime().driver->fileDialog(*this, save, false);

    FocusComesBack focusBack;  // made first: it acts once the dialog is gone
    QFileDialog dialog(nullptr, QString::fromStdString(s_.title),
                       QString::fromStdString(startFolder()));
    attachToOwner(dialog);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);  // asked by our own rule
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!(s_.flags & FileMustExist) && !save) dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters = qtFilters(s_.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (s_.filterIndex >= 1 && s_.filterIndex <= filters.size()) {
            dialog.selectNameFilter(filters[s_.filterIndex - 1]);
        }
    }
    if (!s_.fileName.empty()) {
        dialog.selectFile(QString::fromStdString(fs::path(s_.fileName).filename().string()));
    }
    while (true) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return DialogResult::Cancelled;
        }
        Verdict v = judge(dialog.selectedFiles().first().toStdString(), save);
        if (v.kind == Verdict::Refuse) {
            MessageBox(v.path + "\n" +
                           (v.reason == "the file doesn't exist" ? "File not found."
                                                                 : "Path does not exist."),
                       Exclamation, s_.title);
            continue;
        }
        if (v.kind == Verdict::AskOverwrite && !confirmOverwrite(v.path)) continue;
        s_.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
        accept(v.path);
        return DialogResult::Ok;
    }
}

}  // namespace velt::ui

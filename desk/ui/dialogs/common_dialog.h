// Common file dialog (Open and Save). Cancel is a result, never an exception. The flags decide
// what a chosen name must satisfy: 0x2 asks before replacing an existing file on Save, 0x100
// takes the name as typed, 0x800 refuses a name in a missing folder, 0x1000 a missing file. A
// DefaultExt ("*.wav", ".mid", "wav") is appended to a name without an extension (on Open only
// when the name as typed doesn't exist). Always Qt's own file dialog, never the desktop's.
#pragma once

#include <string>

#include "desk/ui/control.h"

namespace velt::ui {

class CommonDialog : public Control {
  public:
    enum FlagBits {
        OverwritePrompt = 0x2,
        HideReadOnly = 0x4,
        NoValidate = 0x100,
        PathMustExist = 0x800,
        FileMustExist = 0x1000,
        ShareAware = 0x4000
    };

    CommonDialog(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    const std::string& DialogTitle() const { return s_.title; }
    void setDialogTitle(const std::string& v) { s_.title = v; }
    const std::string& Filter() const { return s_.filter; }
    void setFilter(const std::string& v) { s_.filter = v; }
    int FilterIndex() const { return s_.filterIndex; }
    void setFilterIndex(int v) { s_.filterIndex = v; }
    const std::string& DefaultExt() const { return s_.defaultExt; }
    void setDefaultExt(const std::string& v) { s_.defaultExt = v; }
    const std::string& InitDir() const { return s_.initDir; }
    void setInitDir(const std::string& v) { s_.initDir = v; }
    const std::string& FileName() const { return s_.fileName; }
    void setFileName(const std::string& v) { s_.fileName = v; }
    const std::string& FileTitle() const { return s_.fileTitle; }
    long Flags() const { return s_.flags; }
    void setFlags(long v) { s_.flags = v; }
    bool CancelError() const { return s_.cancelError; }
    void setCancelError(bool v) { s_.cancelError = v; }

    DialogResult ShowOpen();
    DialogResult ShowSave();

    // ---- the rules, shared by the real dialog and the test script
    struct Verdict {
        enum Kind { Accept, Refuse, AskOverwrite } kind = Accept;
        std::string path;
        std::string reason;
    };
    Verdict judge(const std::string& chosen, bool save) const;
    // Asks the overwrite question; true to replace.
    bool confirmOverwrite(const std::string& path) const;
    void accept(const std::string& path);  // FileName and FileTitle
    std::string effectiveDefaultExt() const;
    std::string startFolder() const;  // the folder of FileName, else InitDir

  protected:
    QWidget* createWidget(QWidget*) override { return nullptr; }
    void resetState() override { s_ = State{}; }

  private:
    DialogResult show(bool save);

    struct State {
        std::string title, filter, defaultExt, initDir, fileName, fileTitle;
        int filterIndex = 1;
        long flags = 0;
        bool cancelError = false;
    } s_;
};

}  // namespace velt::ui

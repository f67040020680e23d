#pragma once
// The folder chooser TAlapkeres without its window: the drive list, the
// directory list that follows it, and the choice the user made. The backup
// ("S"), the restore ("V"), the shipment ("K") and the imports ("S") ask for a
// folder through a FolderAsker, so their logic runs with a scripted answer in
// the tests and with the window (ui/folderbrowserdialog.h) in the program.
//
// On Linux a "drive" is a mounted volume or the file-system root; its root
// folder stands for the old "X:\". On Windows the drives are the drive
// letters ("A:/", "C:/"), ready or not, and folder names are compared
// without regard to letter case, as the system does.

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

namespace ui {

class Messages;

// What the chooser gives back: the folder shown when it closed (no trailing
// "/" except for the root) and whether it was closed with "&OK"
// (`helyvalasztva`).
struct FolderChoice {
    bool chosen = false;
    QString dir;
};

class FolderAsker {
public:
    virtual ~FolderAsker() = default;
    // Shows the chooser with the caller's caption; `mode` places it ("S",
    // "V", "K", anything else: the screen's top left corner).
    virtual FolderChoice chooseFolder(const QString& caption, const QString& mode) = 0;
};

class FolderBrowser {
public:
    // Starts in `startDir` (the current directory when empty or missing).
    // `drives`: the drive roots to offer; empty: the machine's (systemDrives).
    explicit FolderBrowser(Messages& msg, const QString& startDir = {},
                           const QStringList& drives = {});

    // The file-system root and the root of every mounted volume, sorted; on
    // Windows every drive letter, also a drive with no disk in it (choosing
    // it gets the warning).
    static QStringList systemDrives();
    // The longest of `drives` that holds the absolute folder `dir` (the
    // drive itself too); empty when none does.
    static QString driveOf(const QString& dir, const QStringList& drives);

    const QStringList& drives() const { return drives_; }
    // The drive of the folder shown: the longest drive root that contains it.
    QString drive() const;
    // The folder shown, absolute, without a trailing "/" (except "/").
    const QString& directory() const { return dir_; }
    // What the directory list shows: ".." unless at the root, then the
    // sub-folders ordered by name, ignoring case.
    QStringList entries() const;

    // A drive chosen in the drive list. A drive whose root cannot be entered
    // gets the warning "Hiba: A meghajtó nem kész" and the folder (and with
    // it the drive) stays as it was; false then.
    bool setDrive(const QString& root);
    // A double-click in the directory list: ".." goes up, a name goes into
    // that sub-folder. False (and nothing changes) when it cannot be entered.
    bool enter(const QString& entry);
    // Shows the given folder; false when it is not an enterable folder.
    bool setDirectory(const QString& dir);

    // "&OK" sets helyvalasztva, "&Mégsem" (or Esc, or the close box) clears it.
    void accept() { chosen_ = true; }
    void cancel() { chosen_ = false; }
    bool chosen() const { return chosen_; }
    FolderChoice result() const { return {chosen_, dir_}; }

    // Where the window goes, by mode: "S" 25 pixels from the left and 50 from
    // the top of the screen; "V" right under `anchor` (the restore-source
    // dialog), its left edge at the anchor's horizontal middle; "K" right
    // under `anchor` (the register window), 20 pixels right of its middle.
    // "V" or "K" without an anchor (a null rect), and any other mode: the
    // screen's top left corner.
    static QPoint position(const QString& mode, const QRect& screen, const QRect& anchor = {});

private:
    static bool enterable(const QString& dir);

    Messages& msg_;
    QStringList drives_;
    QString dir_;
    bool chosen_ = false;
};

} // namespace ui

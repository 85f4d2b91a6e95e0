#pragma once
// The wav file chooser: a volume list, a folder list and a list of the folder's wav files. One
// click on a file picks it. The chooser lives for the whole run and is only hidden after a pick,
// so the next showing opens where the player last browsed.
#include <QDialog>
#include <QString>

class QComboBox;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace talomir::ui {

class FrmOpen : public QDialog {
    Q_OBJECT

public:
    // The chooser of the run, created hidden on first use (and again after an unload).
    static FrmOpen* instance();

    // The folder to start in at the next load: sPath when it is a readable folder, otherwise
    // the game's folder (the one that holds its sound folder), from which a relative sPath
    // counts too. The lists of a chooser already loaded stay where they are.
    void SetPath(const QString& sPath);
    // Shows the chooser modally over owner; true when a file was picked in this showing, which
    // NameFile and PathToFile then name.
    bool choose(QWidget* owner);

    QString NameFile;    // the picked file's name
    QString PathToFile;  // its full path

    QString folder() const { return folder_; }  // the folder the lists show
    // Opens a folder in the folder list; the file list follows.
    void setFolder(const QString& folder);

    // The volumes a player can pick from: real file systems, the root first.
    struct Volume {
        QString root;
        QString caption;
    };
    static QList<Volume> volumes();
    // Whether a mounted file system of this type, mounted at root, is offered as a volume.
    static bool isPlayerVolume(const QString& root, const QByteArray& type);

    QComboBox* drvOpen;
    QTreeWidget* dirOpen;
    QListWidget* filOpen;

    // The close box or Esc: no pick, and the next showing starts at SetPath's folder.
    void reject() override;

private:
    explicit FrmOpen(QWidget* parent = nullptr);
    void Form_Load();
    void drvOpen_Change(int index);
    void filOpen_Click();
    int volumeOf(const QString& folder) const;  // index in volumes_, -1 for none

    QString start_;
    QString folder_;
    QList<Volume> volumes_;
    bool loaded_ = false;
};

}  // namespace talomir::ui

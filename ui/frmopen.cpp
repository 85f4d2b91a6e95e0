#include "ui/frmopen.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QSet>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <functional>

#include "persistence/gamefolders.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {

constexpr Qt::WindowFlags kFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
constexpr int kPathRole = Qt::UserRole;

// The folder that holds the game's own files, its sound folder among them.
QString programFolder() {
    return QFileInfo(GameFolders::current().soundFolder()).absolutePath();
}

bool readableFolder(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

// A file list in which a move with the keyboard picks, as a click does. Entering it with Tab
// leaves it without a current file, so that the first move reaches the first file.
class FileList : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> moved;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QListWidgetItem* before = currentItem();
        QListWidget::keyPressEvent(event);
        if (currentItem() && currentItem() != before && moved) moved();
    }
    void focusInEvent(QFocusEvent* event) override {
        QListWidget::focusInEvent(event);
        if (currentItem() && !currentItem()->isSelected()) selectionModel()->clearCurrentIndex();
    }
};

// A folder list as a chain of open folders: indented, without expand handles.
class FolderTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
};

}  // namespace

FrmOpen* FrmOpen::instance() {
    if (auto* open = qobject_cast<FrmOpen*>(vb::Forms::find(QStringLiteral("frmOpen"))))
        return open;
    auto* open = new FrmOpen;
    vb::Forms::add(QStringLiteral("frmOpen"), open);
    return open;
}

FrmOpen::FrmOpen(QWidget* parent) : QDialog(parent, kFlags) {
    setObjectName(QStringLiteral("frmOpen"));
    setWindowTitle(QStringLiteral("Открыть"));
    setModal(true);
    setFixedSize(vb::twipsToPixels(6075), vb::twipsToPixels(3300));
    setFont(vb::makeFont(QStringLiteral("MS Sans Serif"), 8.25));

    drvOpen = new QComboBox(this);
    drvOpen->setObjectName(QStringLiteral("drvOpen"));
    vb::setTwipsGeometry(drvOpen, 120, 120, 3015, 315);
    connect(drvOpen, &QComboBox::activated, this, &FrmOpen::drvOpen_Change);

    dirOpen = new FolderTree(this);
    dirOpen->setObjectName(QStringLiteral("dirOpen"));
    dirOpen->setHeaderHidden(true);
    dirOpen->setRootIsDecorated(false);
    dirOpen->setItemsExpandable(false);
    dirOpen->setIndentation(vb::twipsToPixels(150));
    vb::setTwipsGeometry(dirOpen, 120, 600, 3015, 2565);
    connect(dirOpen, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { setFolder(item->data(0, kPathRole).toString()); });

    auto* files = new FileList(this);
    files->moved = [this] { filOpen_Click(); };
    filOpen = files;
    filOpen->setObjectName(QStringLiteral("filOpen"));
    vb::setTwipsGeometry(filOpen, 3240, 120, 2655, 3015);
    connect(filOpen, &QListWidget::itemClicked, this, &FrmOpen::filOpen_Click);
    setTabOrder(drvOpen, dirOpen);
    setTabOrder(dirOpen, filOpen);
}

void FrmOpen::SetPath(const QString& sPath) {
    const QString program = programFolder();
    const QString wanted = sPath.isEmpty() ? QString() : QDir(program).absoluteFilePath(sPath);
    start_ = !wanted.isEmpty() && readableFolder(wanted) ? wanted : program;
}

void FrmOpen::Form_Load() {
    setFolder(start_.isEmpty() ? programFolder() : start_);
    loaded_ = true;
}

bool FrmOpen::choose(QWidget* owner) {
    // Only this showing's pick counts: a chooser closed without one leaves the caller's file.
    NameFile.clear();
    PathToFile.clear();
    volumes_ = volumes();
    drvOpen->clear();
    for (const Volume& v : volumes_) drvOpen->addItem(v.caption);
    // Read afresh where the player last browsed, unless that folder has gone since.
    if (!loaded_ || !readableFolder(folder_))
        Form_Load();
    else
        setFolder(folder_);
    QPointer<FrmOpen> self(this);
    setParent(owner, kFlags);  // modal over the owner and kept above it
    exec();
    if (!self) return false;  // unloaded together with its owner
    setParent(nullptr, kFlags);
    return !NameFile.isEmpty();
}

void FrmOpen::reject() {
    // Closed without a pick: the next showing starts afresh at SetPath's folder.
    loaded_ = false;
    QDialog::reject();
}

void FrmOpen::setFolder(const QString& folder) {
    folder_ = QDir::cleanPath(QDir(folder).absolutePath());
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The folder with its parents from the root down, then its sub-folders one level further in.
    QStringList chain;
    for (QDir d(folder_);;) {
        chain.prepend(d.absolutePath());
        if (!d.cdUp()) break;
    }
    dirOpen->clear();
    QTreeWidgetItem* item = nullptr;
    for (const QString& path : chain) {
        const QString name = QFileInfo(path).fileName();
        item = item ? new QTreeWidgetItem(item) : new QTreeWidgetItem(dirOpen);
        item->setText(0, name.isEmpty() ? path : name);
        item->setIcon(0, open);
        item->setData(0, kPathRole, path);
    }
    const QDir dir(folder_);
    for (const QString& sub :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* child = new QTreeWidgetItem(item);
        child->setText(0, sub);
        child->setIcon(0, closed);
        child->setData(0, kPathRole, dir.filePath(sub));
    }
    dirOpen->expandAll();
    dirOpen->setCurrentItem(item);
    dirOpen->scrollToItem(item);

    // Name filters match in any letter case: the shipped sounds are *.WAV.
    filOpen->clear();
    filOpen->addItems(
        dir.entryList({QStringLiteral("*.wav")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
    drvOpen->setCurrentIndex(volumeOf(folder_));
}

int FrmOpen::volumeOf(const QString& folder) const {
    // The volume with the longest root the folder lies under.
    int best = -1;
    for (int i = 0; i < volumes_.size(); ++i) {
        const QString& root = volumes_[i].root;
        const bool under = root == QLatin1String("/") || folder == root ||
                           folder.startsWith(root + QLatin1Char('/'));
        if (under && (best < 0 || root.size() > volumes_[best].root.size())) best = i;
    }
    return best;
}

void FrmOpen::drvOpen_Change(int index) {
    if (index == volumeOf(folder_)) return;  // the same volume again: stay in its folder
    const QString root = index >= 0 && index < volumes_.size() ? volumes_[index].root : QString();
    if (!readableFolder(root)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Talomir XII Vostrun"),
                        QStringLiteral("Устройство не готово"), QMessageBox::Ok, this);
        box.exec();
        drvOpen->setCurrentIndex(volumeOf(folder_));
        return;
    }
    setFolder(root);
}

void FrmOpen::filOpen_Click() {
    const QListWidgetItem* item = filOpen->currentItem();
    if (!item) return;
    NameFile = item->text();
    PathToFile = QDir(folder_).filePath(NameFile);
    accept();  // hidden, not closed: the next showing opens here
}

bool FrmOpen::isPlayerVolume(const QString& root, const QByteArray& type) {
    if (root == QLatin1String("/")) return true;
    // The kernel's views, the system's memory mounts, snap images and a container's layers.
    static const QSet<QByteArray> pseudo = {
        "autofs",      "binfmt_misc",    "bpf",    "cgroup",     "cgroup2",
        "configfs",    "debugfs",        "devpts", "devtmpfs",   "efivarfs",
        "fusectl",     "hugetlbfs",      "mqueue", "nsfs",       "overlay",
        "proc",        "pstore",         "ramfs",  "rpc_pipefs", "securityfs",
        "selinuxfs",   "squashfs",       "sysfs",  "tmpfs",      "tracefs",
        "fuse.portal", "fuse.gvfsd-fuse"};
    if (pseudo.contains(type)) return false;
    for (const char* system : {"/proc/", "/sys/", "/dev/"})
        if (root.startsWith(QLatin1String(system))) return false;
    return true;
}

QList<FrmOpen::Volume> FrmOpen::volumes() {
    QList<Volume> list{{QStringLiteral("/"), QStringLiteral("/")}};
    QList<QStorageInfo> mounted = QStorageInfo::mountedVolumes();
    std::sort(mounted.begin(), mounted.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.rootPath() < b.rootPath();
    });
    for (const QStorageInfo& v : mounted) {
        const QString root = v.rootPath();
        // A bind-mounted file is no volume; a volume mounted twice is listed once.
        if (!isPlayerVolume(root, v.fileSystemType()) || !QFileInfo(root).isDir()) continue;
        if (std::any_of(list.begin(), list.end(), [&](const Volume& l) { return l.root == root; }))
            continue;
        const QString label = v.name();
        list.append({root, label.isEmpty() ? root : root + QStringLiteral(" [") + label + u']'});
    }
    return list;
}

}  // namespace talomir::ui

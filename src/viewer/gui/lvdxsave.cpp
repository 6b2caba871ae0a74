#include "viewer/gui/lvdxsave.h"

#include "viewer/SaveDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

namespace lumora::viewer {

namespace {

QStringList NameFilters(const QString& mask) {
    QStringList filters;
    for (const std::string& pattern : MaskPatterns(mask.toStdString()))
        filters << QString::fromStdString(pattern);
    return filters;
}

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

} // namespace

TDXSaveDlg::TDXSaveDlg(QWidget* parent) : QDialog(parent), m_Ui(this) {
    setObjectName("DXSaveDlg");
    setWindowTitle("Save DX File");
    m_FileEdit = Named(new QLineEdit(m_Mask), "FileEdit");
    m_FileList = Named(new QListWidget, "FileList");
    m_DirLabel = Named(new QLabel, "DirLabel");
    m_DirList = Named(new QListWidget, "DirList");
    m_DriveCombo = Named(new QComboBox, "DriveCombo");
    m_FilterCombo = Named(new QComboBox, "FilterCombo");
    m_TextChk = Named(new QCheckBox("Save As Text"), "TextChk");
    for (const TFileType& type : FilterTypes(kDXSaveFilter))
        m_FilterCombo->addItem(QString::fromStdString(type.Caption),
                               QString::fromStdString(type.Mask));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("OKBtn");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("CancelBtn");
    connect(buttons, &QDialogButtonBox::accepted, this, &TDXSaveDlg::OKBtnClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_FileList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { m_FileEdit->setText(item->text()); });
    connect(m_FileList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_FileEdit->setText(item->text());
        OKBtnClick();
    });
    connect(m_DirList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        SetFolder(QDir(m_Folder).absoluteFilePath(item->text()));
    });
    connect(m_DriveCombo, &QComboBox::activated, this,
            [this](int index) { SetFolder(m_DriveCombo->itemText(index)); });
    connect(m_FilterCombo, &QComboBox::activated, this, [this](int index) {
        m_Mask = m_FilterCombo->itemData(index).toString();
        m_FileEdit->setText(m_Mask);
        FillLists();
    });
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("File Name"), 0, 0);
    grid->addWidget(m_FileEdit, 1, 0);
    grid->addWidget(m_FileList, 2, 0);
    grid->addWidget(new QLabel("Directories:"), 0, 1);
    grid->addWidget(m_DirLabel, 1, 1);
    grid->addWidget(m_DirList, 2, 1);
    grid->addWidget(new QLabel("List Files Of Type"), 3, 0);
    grid->addWidget(m_FilterCombo, 4, 0);
    grid->addWidget(new QLabel("Drives"), 3, 1);
    grid->addWidget(m_DriveCombo, 4, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_TextChk);
    layout->addWidget(buttons);
    SetFolder(QDir::currentPath());
}

bool TDXSaveDlg::Execute() {
    m_Path.clear();
    FillLists(); // files may have come and gone since the last use
    return exec() == QDialog::Accepted;
}

bool TDXSaveDlg::SaveAsText() const {
    return m_TextChk->isChecked();
}

void TDXSaveDlg::SetFolder(const QString& folder) {
    const QDir dir(folder);
    m_Folder = dir.exists() ? dir.canonicalPath() : QDir::currentPath();
    FillLists();
}

void TDXSaveDlg::OKBtnClick() {
    const std::string folder = m_Folder.toStdString();
    const std::string text = m_FileEdit->text().toStdString();
    switch (SaveDialogOk(m_Ui, folder, text)) {
    case TSaveDialogOk::FilterList:
        m_Mask = m_FileEdit->text();
        FillLists();
        break;
    case TSaveDialogOk::OpenFolder:
        SetFolder(QString::fromStdString(SaveDialogPath(folder, text)));
        m_FileEdit->setText(m_Mask);
        break;
    case TSaveDialogOk::StayOpen:
        break;
    case TSaveDialogOk::Close:
        m_Path = SaveDialogPath(folder, text);
        accept();
        break;
    }
}

void TDXSaveDlg::FillLists() {
    const QDir dir(m_Folder);
    m_DirLabel->setText(m_Folder);
    m_FileList->clear();
    m_FileList->addItems(
        dir.entryList(NameFilters(m_Mask), QDir::Files, QDir::Name | QDir::IgnoreCase));
    m_DirList->clear();
    if (!dir.isRoot())
        m_DirList->addItem("..");
    m_DirList->addItems(
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
    FillDrives();
}

void TDXSaveDlg::FillDrives() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            roots << volume.rootPath();
    roots.removeDuplicates();
    roots.sort();
    m_DriveCombo->clear();
    m_DriveCombo->addItems(roots);
    m_DriveCombo->setCurrentText(QStorageInfo(m_Folder).rootPath());
}

} // namespace lumora::viewer

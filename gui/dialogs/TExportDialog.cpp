#include "TExportDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include "commands/ExportFileType.h"

TExportDialog::TExportDialog(QWidget* parent) : QFileDialog(parent) {
    setObjectName(QStringLiteral("SaveDialog"));
    // Qt's own dialog, so that the encoding can sit beside the file types.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilters(ExportFileType::Filters());

    cmbEncoding = new QComboBox(this);
    cmbEncoding->setObjectName(QStringLiteral("cmbEncoding"));
    cmbEncoding->addItem(QStringLiteral("Shift_JIS (CP932)"));
    cmbEncoding->addItem(QStringLiteral("UTF-8"));
    auto* label = new QLabel(QStringLiteral("文字コード:"), this);
    label->setBuddy(cmbEncoding);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(cmbEncoding, row, 1);
    }
    SetFilterIndex(ExportFileType::DefaultIndex);
}

int TExportDialog::FilterIndex() const {
    const qsizetype index = nameFilters().indexOf(selectedNameFilter());
    return index < 0 ? ExportFileType::Count : static_cast<int>(index) + 1;
}

void TExportDialog::SetFilterIndex(int index) {
    if (index < 1 || index > ExportFileType::Count)
        index = ExportFileType::Count;
    selectNameFilter(nameFilters().at(index - 1));
}

platform::TTextEncoding TExportDialog::Encoding() const {
    return cmbEncoding->currentIndex() == 1 ? platform::TTextEncoding::Utf8
                                            : platform::TTextEncoding::Cp932;
}

void TExportDialog::SetEncoding(platform::TTextEncoding encoding) {
    cmbEncoding->setCurrentIndex(encoding == platform::TTextEncoding::Utf8 ? 1 : 0);
}

QString TExportDialog::Execute(const QString& title) {
    setWindowTitle(title);
    // The dialog keeps its folder and the name typed last between openings.
    if (exec() != QDialog::Accepted)
        return {};
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

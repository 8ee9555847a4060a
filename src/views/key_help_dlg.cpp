#include "views/key_help_dlg.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/shared_fonts.h"
#include "base/ui_text.h"

namespace {

// UI text slots.
constexpr int kTitleText = 198;
constexpr int kKeyColumnText = 199;
constexpr int kActionColumnText = 200;
constexpr int kCloseText = 0;
constexpr int kWidth = 360;
constexpr int kRowPadding = 6;

QTableWidgetItem* Cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled);
  return item;
}

}  // namespace

CKeyHelpDlg::CKeyHelpDlg(const std::vector<KeyHelpRow>& rows, QWidget* parent) : QDialog(parent) {
  setWindowTitle(UiText(kTitleText));
  setAccessibleName(windowTitle());
  setFont(fontNormal());

  table_ = new QTableWidget(static_cast<int>(rows.size()), 2, this);
  table_->setAccessibleName(windowTitle());
  table_->setHorizontalHeaderLabels({UiText(kKeyColumnText), UiText(kActionColumnText)});
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + kRowPadding);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setFocusPolicy(Qt::NoFocus);
  for (int row = 0; row < table_->rowCount(); ++row) {
    table_->setItem(row, 0, Cell(rows[static_cast<std::size_t>(row)].key));
    table_->setItem(row, 1, Cell(rows[static_cast<std::size_t>(row)].action));
  }
  table_->resizeColumnsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);

  closeButton_ = new QPushButton(UiText(kCloseText), this);
  closeButton_->setAccessibleName(closeButton_->text());
  closeButton_->setDefault(true);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(closeButton_, 0, Qt::AlignRight);
  const int tableHeight = table_->horizontalHeader()->height() +
                          table_->verticalHeader()->length() + 2 * table_->frameWidth();
  table_->setMinimumHeight(tableHeight);
  setFixedWidth(kWidth);
}

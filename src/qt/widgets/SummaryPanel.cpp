#include "qt/widgets/SummaryPanel.h"

#include <QFormLayout>
#include <QLabel>

namespace voltander {

SummaryPanel::SummaryPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SessionSummary"));
  auto* form = new QFormLayout(this);
  form->setLabelAlignment(Qt::AlignLeft);
  for (const auto& [caption, value] : history::SummaryLines({})) {
    auto* label = new QLabel(QString::fromStdString(value));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QString::fromStdString(caption) + QLatin1Char(':'), label);
    values_.push_back(label);
  }
}

void SummaryPanel::setSummary(const history::SessionSummary& summary) {
  const auto lines = history::SummaryLines(summary);
  for (std::size_t k = 0; k < lines.size() && k < values_.size(); ++k)
    values_[k]->setText(QString::fromStdString(lines[k].second));
}

QStringList SummaryPanel::values() const {
  QStringList out;
  for (const QLabel* l : values_) out << l->text();
  return out;
}

}  // namespace voltander

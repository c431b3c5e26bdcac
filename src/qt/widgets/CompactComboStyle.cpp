#include "qt/widgets/CompactComboStyle.h"

#include <QStyleOptionComplex>

namespace voltander {

namespace {
constexpr int kArrowWidth = 13;
}  // namespace

QRect CompactComboStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl sub, const QWidget* widget) const {
  if (control == CC_ComboBox && option) {
    const QRect r = option->rect;
    if (sub == SC_ComboBoxArrow) {
      return visualRect(option->direction, r,
                        QRect(r.right() - kArrowWidth + 1, r.top(), kArrowWidth, r.height()));
    }
    if (sub == SC_ComboBoxEditField) {
      return visualRect(
          option->direction, r,
          QRect(r.left() + 3, r.top() + 2, r.width() - kArrowWidth - 4, r.height() - 4));
    }
  }
  return QProxyStyle::subControlRect(control, option, sub, widget);
}

}  // namespace voltander

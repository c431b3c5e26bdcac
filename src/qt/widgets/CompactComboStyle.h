// The parameter lists are narrow (73 pixels at 96 DPI) and the usual drop-down
// arrow takes a quarter of that. This style draws the lists with a slimmer arrow so
// their longest entries ("254. napon") still show whole.
#pragma once

#include <QProxyStyle>

namespace voltander {

class CompactComboStyle : public QProxyStyle {
 public:
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                       const QWidget* widget) const override;
};

}  // namespace voltander

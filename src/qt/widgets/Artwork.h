// The window's small images, drawn rather than shipped (they must show without any
// image plug-in): the two decorative pictures above the charge-curve diagram, the
// upload button's icon and the window icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace voltander {

// A battery with its charge level, for the left picture.
QPixmap BatteryPicture(QSize size);
// The charger box with its display and cable, for the right picture.
QPixmap ChargerPicture(QSize size);
// An arrow into a chip: sending the parameters to the controller.
QIcon UploadIcon();
QIcon AppIcon();

}  // namespace voltander

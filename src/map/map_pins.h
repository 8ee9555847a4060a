#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// The pins of the map's event marks, drawn by the viewer: twelve 32 x 32
// pictures by icon index (eight distinct ones) and their 49 x 32 shadow.
QImage PinImage(int icon);
QImage PinShadowImage();

// The same pictures as "data:image/png;base64," addresses for the page.
QStringList PinDataUrls();
QString PinShadowDataUrl();

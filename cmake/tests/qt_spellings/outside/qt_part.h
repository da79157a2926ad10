#pragma once
class QImage;
QImage *PartImage();

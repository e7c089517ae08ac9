#pragma once
// The button pictures and the window icon, drawn at their fixed sizes.
#include <QIcon>
#include <QPixmap>

QPixmap magnifierPicture();       // 16 x 16, btnScan
QPixmap telephonePicture();       // 16 x 16, btnBaudRate and btnAlarm
QPixmap stopwatchPicture();       // 16 x 16, btnSetDate
QPixmap cardReaderPicture();      // 16 x 16, btnSetCard and btnCommand
QPixmap progressBarPicture();     // 32 x 20, btnProcess
QPixmap barPicture();             // 16 x 16, btnDIDO
QPixmap keypadPicture();          // 100 x 50, btnFactory
QPixmap simplifiedPicture();      // 34 x 16, btnGB: 簡体 in red
QPixmap traditionalPicture();     // 34 x 16, btnBIG5: 繁體 in red
QIcon windowIconPicture();        // 16 x 16

// The family the two language pictures are drawn with.
QString cjkPictureFamily();

#include "app/pictures.h"

#include <QString>

#include "app/app_state.h"

QPixmap LoadPicture(const char* name) {
    QPixmap picture;
    picture.load(QString::fromStdString(ProgramDirectory + name), "JPG");
    return picture;
}

#include "TForm_Splash_Unit.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

extern const unsigned char SplashPictureBitmap[];
extern const std::size_t SplashPictureBitmapSize;

const unsigned char* SplashPictureData()
{
    return SplashPictureBitmap;
}

size_t SplashPictureSize()
{
    return SplashPictureBitmapSize;
}

TForm_Splash::TForm_Splash(TComponent* owner) : TForm(owner)
{
    SetName("Form_Splash");
    SetClientWidth(464);
    SetClientHeight(220);
    SetBorderStyle(bsNone);
    Position = poScreenCenter;

    auto* picture = new QLabel;
    picture->setPixmap(QPixmap::fromImage(QImage::fromData(SplashPictureData(), int(SplashPictureSize()), "BMP")));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1 = new TControl(this, picture);
    Image1->SetName("Image1");
    Image1->SetParent(this);
    Image1->SetBounds(0, -1, 464, 221);
}

QLabel* TForm_Splash::Image1Picture() const
{
    return static_cast<QLabel*>(Image1->Host());
}

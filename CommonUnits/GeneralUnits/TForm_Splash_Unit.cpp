#include "CommonUnits/GeneralUnits/TForm_Splash_Unit.h"

#include "platform/rtl/Classes.h"

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

    Image1 = new TImage(this);
    Image1->SetName("Image1");
    Image1->SetParent(this);
    Image1->SetBounds(0, 0, 464, 220);
    TMemoryStream picture;
    picture.WriteBuffer(SplashPictureData(), long(SplashPictureSize()));
    picture.SetPosition(0);
    Image1->Picture()->Bitmap()->LoadFromStream(&picture);
}

#pragma once
// The start-up window: a borderless, centred form of 464 x 220 client pixels whose one
// picture control shows the start-up picture. It has no behaviour of its own.
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"

class TForm_Splash : public TForm {
public:
    explicit TForm_Splash(TComponent* owner);

    TImage* Image1 = nullptr; // the whole client area
};

// The start-up picture: a 24-bit bitmap of 464 x 220 pixels compiled into the program.
const unsigned char* SplashPictureData();
size_t SplashPictureSize();

#pragma once
// The start-up window: a borderless, centred form of 464 x 220 client pixels whose one
// picture control shows the start-up picture. It has no behaviour of its own.
#include "platform/framework/Forms.h"

class QLabel;

class TForm_Splash : public TForm {
public:
    explicit TForm_Splash(TComponent* owner);

    TControl* Image1 = nullptr; // 464 x 221 at (0, -1)
    QLabel* Image1Picture() const;
};

// The start-up picture: a 24-bit bitmap of 464 x 220 pixels compiled into the program.
const unsigned char* SplashPictureData();
size_t SplashPictureSize();

// quelmgui: the desktop front end of the leaching model.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label("quelmgui");
    label.show();
    return app.exec();
}

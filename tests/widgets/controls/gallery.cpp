// Renders the control kit in its states to PNG files, for a look by eye.
#include <QApplication>
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}

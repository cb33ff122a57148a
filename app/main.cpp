#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorvane");
    QMainWindow window;
    window.setWindowTitle("Quorvane");
    window.show();
    return app.exec();
}

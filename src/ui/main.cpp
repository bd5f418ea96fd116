// The desktop program "Ploter termiczny".
#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setApplicationName("Ploter termiczny");
    return 0;
}

// The soak tests' program: the real window system (an X display; CTest starts it under xvfb-run)
// so that the viewer has its OpenGL view, and a settings folder of its own.
#include <QApplication>
#include <QSurfaceFormat>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "The soak tests need an X display: run them under xvfb-run -a\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    std::string folder = (std::filesystem::temp_directory_path() / "lumora-soak-XXXXXX").string();
    if (mkdtemp(folder.data()))
        setenv("LUMORA_CONFIG_DIR", folder.c_str(), 1);
    // As the viewer program does: the view's context is asked for before the application exists.
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(folder);
    return result;
}

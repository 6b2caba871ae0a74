// The viewer's AVI capture and joystick in the window (offscreen, so frames are the view panel's
// look): the options dialog, arming, the capture button, the frame limit and its message, a file
// that cannot be made, and "Enable &Joystick" with SDL's virtual joystick.
#include "DialogTestSupport.h"
#include "analysis/VideoPeer.h"
#include "analysis/gui/lvcapture.h"
#include "support/TestSupport.h"
#include "viewer/gui/lvmain.h"
#include "viewer/gui/lvtoolbar.h"
#include "viewer/gui/lvtordlg.h"
#include "viewer/gui/lvview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <SDL.h>

#include <gtest/gtest.h>

namespace lumora::test {
namespace {

using viewer::TForm1;

QSpinBox* SpinOf(QWidget* dialog, const char* name) {
    return dialog->findChild<QSpinBox*>(name);
}

TEST(CaptureDlg, ShowsTheDefaultsAndTheMovieLengthAndRefusesARateOfZero) {
    analysis::TCaptureDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "AVI Capture Options");
    EXPECT_EQ(SpinOf(&dialog, "FPSSpin")->value(), 18);
    EXPECT_EQ(SpinOf(&dialog, "CompressSpin")->value(), 35);
    EXPECT_EQ(SpinOf(&dialog, "CompressSpin")->suffix(), " %");
    EXPECT_EQ(SpinOf(&dialog, "MaxFramesSpin")->value(), 180);
    EXPECT_EQ(SpinOf(&dialog, "MaxFramesSpin")->singleStep(), 10);
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("LimitChk")->isChecked());
    EXPECT_EQ(dialog.TimeShown(), "0:10");
    SpinOf(&dialog, "MaxFramesSpin")->setValue(65);
    SpinOf(&dialog, "FPSSpin")->setValue(10);
    EXPECT_EQ(dialog.TimeShown(), "0:06");
    SpinOf(&dialog, "FPSSpin")->setValue(0);
    EXPECT_EQ(SpinOf(&dialog, "FPSSpin")->value(), 1);
    SpinOf(&dialog, "CompressSpin")->setValue(100);
    EXPECT_EQ(analysis::QualityOf(dialog.Options().Compression), 0);
    QSignalSpy help(&dialog, &analysis::TCaptureDlg::HelpTopic);
    dialog.findChild<QPushButton*>("HelpBtn")->click();
    ASSERT_EQ(help.count(), 1);
    EXPECT_EQ(help.at(0).at(0).toInt(), 12);
}

// A window with a cube, its capture options set to 100 frames per second and a limit of frames.
struct CapturingWindow {
    TForm1 w;
    explicit CapturingWindow(int limit) {
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(20); // the layout settles
        w.TorusDlg()->findChild<QPushButton*>("MakeCubeBtn")->click();
        analysis::TCaptureOptions o;
        o.FramesPerSec = 100;
        o.MaxFrames = limit;
        w.CaptureDlg()->SetOptions(o);
    }
    QToolButton* Button() { return w.Toolbar()->CaptureBtn(); }
    // Draws frames until the capture ends or count frames were drawn, 11 ms apart.
    void Draw(int count) {
        for (int i = 0; i < count && w.Capture.Active(); ++i) {
            QTest::qWait(11);
            w.RenderFrame();
        }
    }
};

TEST(Form1Capture, ArmingEnablesTheButtonAndTheLimitClosesTheFileWithItsMessage) {
    TempDir dir;
    CapturingWindow c(5);
    EXPECT_FALSE(c.Button()->isEnabled());
    const std::string file = dir.File("flight.avi");
    c.w.ArmCapture(QString::fromStdString(file));
    ASSERT_TRUE(c.Button()->isEnabled());
    Boxes boxes;
    const QSize size = c.w.View()->PixelSize();
    QTest::mouseClick(c.Button(), Qt::LeftButton);
    EXPECT_TRUE(c.w.Capture.Active());
    EXPECT_TRUE(c.Button()->isChecked());
    c.Draw(100);
    QTest::qWait(50); // the message comes once the frame is done
    EXPECT_FALSE(c.w.Capture.Active());
    EXPECT_FALSE(c.Button()->isChecked());
    EXPECT_FALSE(c.Button()->isEnabled());
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{"Frame Limit Exceeded\nAVI has been closed."});
    auto facts = ProbeVideo(file);
    EXPECT_EQ(facts["codec_tag_string"], "MSVC") << facts["errors"];
    EXPECT_EQ(facts["width"], std::to_string(analysis::CaptureSide(size.width())));
    EXPECT_EQ(facts["height"], std::to_string(analysis::CaptureSide(size.height())));
    EXPECT_EQ(facts["nb_read_frames"], "5");
}

TEST(Form1Capture, ReleasingTheButtonFinishesTheFileAndDisablesItUntilTheNextArming) {
    TempDir dir;
    CapturingWindow c(1000);
    const std::string file = dir.File("stopped.avi");
    c.w.ArmCapture(QString::fromStdString(file));
    QTest::mouseClick(c.Button(), Qt::LeftButton);
    c.Draw(4);
    const int frames = c.w.Capture.FrameCount();
    EXPECT_GE(frames, 1);
    QTest::mouseClick(c.Button(), Qt::LeftButton);
    EXPECT_FALSE(c.w.Capture.Active());
    EXPECT_FALSE(c.Button()->isEnabled());
    EXPECT_EQ(ProbeVideo(file)["nb_read_frames"], std::to_string(frames));
}

TEST(Form1Capture, AFileThatCannotBeMadeIsNamedWithTheReasonAndNothingRecords) {
    TempDir dir;
    CapturingWindow c(10);
    const std::string file = dir.File("no such folder/flight.avi");
    c.w.ArmCapture(QString::fromStdString(file));
    Boxes boxes;
    QTest::mouseClick(c.Button(), Qt::LeftButton);
    EXPECT_FALSE(c.w.Capture.Active());
    EXPECT_FALSE(c.Button()->isChecked());
    EXPECT_TRUE(c.Button()->isEnabled()); // still armed: the user may try again
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{
                               file + ": Unable to create AVI file (\".avi\"): Disk open error."});
}

TEST(Form1Joystick, AnAttachedJoystickIsCheckedUncheckingPausesAndALossThatStaysEndsIt) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 3, 4, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    {
        TForm1 w;
        w.TorusDlg()->findChild<QPushButton*>("MakeCubeBtn")->click();
        QAction* item = w.Action("JoystickMnu");
        EXPECT_TRUE(item->isEnabled());
        EXPECT_TRUE(item->isChecked());
        EXPECT_TRUE(w.Core.JoystickAvailable);
        item->trigger();
        EXPECT_FALSE(w.Core.JoystickChecked);
        item->trigger();
        EXPECT_TRUE(w.Core.JoystickChecked);
        SDL_JoystickDetachVirtual(index);
        Boxes boxes;
        for (int i = 0; i < 5; ++i)
            w.RenderFrame();
        QTest::qWait(30);
        EXPECT_FALSE(w.Core.JoystickAvailable);
        EXPECT_FALSE(item->isEnabled());
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(boxes.Texts.size(), 1u);
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

} // namespace
} // namespace lumora::test

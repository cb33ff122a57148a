#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <ostream>

#include "app/app_state.h"
#include "app/main_window.h"
#include "support/fake_browser.h"
#include "support/fake_dialogs.h"
#include "support/list_files.h"

// A fixture whose tests start the program afresh: their own settings folder
// (so the first start is a first run), their own program folder holding
// small list files, fake dialogs that record every warning, and a fake
// browser that records every page the window opens.
class FreshStartTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Config.isValid());
        ASSERT_TRUE(Program.isValid());
        qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
        ProgramDirectory = Program.path().toStdString() + "/";
        CurrentView = NoView;
        list_files::WriteAll(Program.path());
    }

    // Creates the main window as the program does; by default on a 1024 by
    // 768 screen of 32 bits per pixel, with a first-run request that fails.
    std::unique_ptr<TfrmMain> Start(TScreenInfo screen = {32, {1024, 768}},
                                    TFirstRunRequest request = {}) {
        LowColourMode = false;
        return std::make_unique<TfrmMain>(Dialogs, std::move(request),
                                          TFakeBrowser::Factory(&Browser), screen);
    }

    QTemporaryDir Config;
    QTemporaryDir Program;
    TFakeDialogs Dialogs;
    TFakeBrowser* Browser = nullptr;  // the last started window's
};

// Qt strings in test failures as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

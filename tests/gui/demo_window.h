#pragma once

// A window opened on a fresh demo project in a temporary directory, with the
// settings and options back at their defaults, for the window's tests.

#include "app/command_locks.h"
#include "app/demo_project.h"
#include "app/document.h"
#include "gui/main_frame.h"
#include "modal_steps.h"
#include "model/item_view.h"
#include "model/options.h"
#include "support/test_project.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace kestro::gui {

class DemoWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        previous_ = std::filesystem::current_path();
        QSettings(QStringLiteral("Fenwycliff"), QStringLiteral("Kestro")).clear();
        test::ResetOptions();
        RCSOptions::instance().userName = test::LoginName();
        SetItemView(nullptr);
        {
            CKestroDoc builder;
            std::string error;
            ASSERT_TRUE(BuildDemoProject(builder, directory_.path().toStdString(), projectPath_, error)) << error;
        }
        frame_ = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame_->OpenProject(QString::fromStdString(projectPath_)));
        // The refresh pass that follows the open holds the tree now and then,
        // which would keep the enabling from following a selection at once.
        ASSERT_TRUE(WaitFor([] { return !CommandLocks::instance().IsRefreshPending(); }));
    }

    void TearDown() override
    {
        frame_.reset();
        std::filesystem::current_path(previous_);
    }

    std::filesystem::path previous_;
    QTemporaryDir directory_;
    std::string projectPath_;
    std::unique_ptr<CMainFrame> frame_;
};

} // namespace kestro::gui

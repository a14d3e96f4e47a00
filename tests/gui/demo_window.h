#pragma once

// A window opened on a fresh demo project in a temporary directory, with the
// settings and options back at their defaults, for the window's tests.

#include "app/command_locks.h"
#include "app/demo_project.h"
#include "app/document.h"
#include "gui/command_dispatch.h"
#include "gui/main_frame.h"
#include "gui/tree_view.h"
#include "modal_steps.h"
#include "model/item_view.h"
#include "model/options.h"
#include "support/test_project.h"

#include <QAction>
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

    // Runs a command of the window, its modal windows taken by the steps.
    void Run(Command command, std::vector<ModalSteps::Step> steps)
    {
        ModalSteps driver(std::move(steps));
        frame_->action(command)->trigger();
        EXPECT_TRUE(driver.allTaken());
        EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join(QLatin1Char('\n')).toStdString();
        frame_->view().applyPendingChanges();
    }

    // A file of the project, as opposed to its entries in the releases.
    QTreeWidgetItem* File(const QString& name)
    {
        frame_->view().applyPendingChanges();
        QTreeWidgetItem* project = frame_->view().topLevelItem(1);
        for (int i = 0; project && i < project->childCount(); ++i) {
            if (project->child(i)->text(0).startsWith(name + " "))
                return project->child(i);
        }
        return nullptr;
    }

    void Select(QTreeWidgetItem* node)
    {
        ASSERT_NE(node, nullptr);
        frame_->view().setCurrentItem(node);
        frame_->UpdateCommandUI();
    }

    std::filesystem::path previous_;
    QTemporaryDir directory_;
    std::string projectPath_;
    std::unique_ptr<CMainFrame> frame_;
};

} // namespace kestro::gui

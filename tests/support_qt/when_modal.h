// Acts on the modal window once it is up, polling for it, so that a test
// never waits on a person and never acts before the window exists.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

// Calls act(modal) when a modal window opens; gives up after about 10 s.
inline void WhenModal(std::function<void(QWidget*)> act, QWidget* not_this = nullptr) {
  auto tries = std::make_shared<int>(0);
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act, not_this, tries, poll] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != not_this && modal->isVisible()) {
      act(modal);
      *poll = nullptr;  // break the cycle
      return;
    }
    if (++*tries > 1000) {
      ADD_FAILURE() << "no modal window opened";
      *poll = nullptr;
      return;
    }
    QTimer::singleShot(10, *poll);
  };
  QTimer::singleShot(0, *poll);
}

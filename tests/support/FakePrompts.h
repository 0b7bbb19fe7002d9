#pragma once
// Answers message boxes and file dialogs for tests, and records what was asked.
#include "common/ui/UserPrompts.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace orasent::test {

class FakePrompts : public UserPrompts {
public:
    struct Message {
        QString text;
        QString title;
    };
    void showMessage(QWidget* parent, const QString& text, const QString& title) override {
        messages.append({text, title});
        if (onMessage)
            onMessage(text);
        if (realMessages)
            UserPrompts::showMessage(parent, text, title);
    }
    std::optional<QString> getOpenFileName(QWidget*, const OpenFileRequest& request) override {
        openRequests.append(request);
        if (onOpenFile)
            onOpenFile(request);
        if (fileAnswers.isEmpty())
            return std::nullopt; // cancelled
        return fileAnswers.takeFirst();
    }

    std::optional<QColor> getColor(QWidget*, const QColor&, const QString& title) override {
        colorRequests.append(title);
        if (colorAnswers.isEmpty())
            return std::nullopt; // cancelled
        return colorAnswers.takeFirst();
    }
    std::optional<QString> getSaveFileName(QWidget*, const SaveFileRequest& request) override {
        saveRequests.append(request);
        if (saveAnswers.isEmpty())
            return std::nullopt; // cancelled
        return saveAnswers.takeFirst();
    }

    std::optional<QString> getPassword(QWidget*, const QString& message) override {
        passwordRequests.append(message);
        if (passwordAnswers.isEmpty())
            return std::nullopt; // cancelled
        return passwordAnswers.takeFirst();
    }

    QList<Message> messages;
    QStringList passwordRequests; // the messages of the password dialogs asked for
    QStringList passwordAnswers;  // next answers of the password dialog; none left: cancel
    QList<SaveFileRequest> saveRequests;
    QStringList saveAnswers; // next answers of the save dialog; none left: cancel
    QList<OpenFileRequest> openRequests;
    QStringList fileAnswers;    // next answers of the open dialog; none left: cancel
    QStringList colorRequests;  // titles of the colour dialogs asked for
    QList<QColor> colorAnswers; // next answers of the colour dialog; none left: cancel
    std::function<void(const QString&)> onMessage;
    bool realMessages = false; // messages are also shown in real boxes
    std::function<void(const OpenFileRequest&)> onOpenFile;
};

} // namespace orasent::test

#include "ScriptedOperator.h"

MessageAnswer ScriptedOperator::Message(const QString& title, const QString& text, MessageButtons buttons,
                                        MessageIcon icon)
{
    Messages.push_back({title, text, buttons, icon});
    if (!Answers.empty()) {
        const MessageAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

int ScriptedOperator::Exec(QDialog& dialog)
{
    DialogTitles.push_back(dialog.windowTitle());
    if (Dialogs.empty())
        return 0;
    DialogScript script = std::move(Dialogs.front());
    Dialogs.pop_front();
    return script(dialog);
}

void ScriptedOperator::PumpEvents()
{
    ++Pumps;
    if (OnPump)
        OnPump();
}

int ScriptedOperator::ShowDocumentImages(const DocumentShow& d)
{
    ShownDocument shown;
    shown.Status = d.Status;
    shown.Prefix = d.Prefix;
    shown.DocumentNumber = d.DocumentNumber;
    shown.HasFront = d.Front != nullptr;
    shown.HasBack = d.Back != nullptr;
    if (d.Front)
        shown.FrontBytes = d.Front->Bytes();
    if (d.Back)
        shown.BackBytes = d.Back->Bytes();
    shown.Texts << d.Text1 << d.Text2 << d.Text3 << d.MoreTexts;
    Documents.push_back(std::move(shown));
    return (d.Front ? 1 : 0) + (d.Back ? 1 : 0);
}

void ScriptedOperator::ShowImage(const QString& title, const PackedBitmap&, bool) { ImageTitles.push_back(title); }

namespace {

bool Answer(std::deque<QString>& queue, QString& path)
{
    if (queue.empty())
        return false;
    const QString answer = queue.front();
    queue.pop_front();
    if (answer.isEmpty())
        return false;
    path = answer;
    return true;
}

} // namespace

bool ScriptedOperator::AskOpenFileName(const QStringList& filters, const QString& defaultSuffix, QString& path)
{
    FileDialogs.push_back({false, filters, defaultSuffix, path});
    return Answer(OpenFileNames, path);
}

bool ScriptedOperator::AskSaveFileName(const QStringList& filters, const QString& defaultSuffix, QString& path)
{
    FileDialogs.push_back({true, filters, defaultSuffix, path});
    return Answer(SaveFileNames, path);
}

// The chat log at the size it has in a 1920 x 1080 class room: 10,000
// mixed rows appended one by one (texts of varying length, pictures,
// notices, time and sender rows), then scrolled from top to bottom a wheel
// step per frame. Beside it, the bare cost of laying the same texts out in a
// QTextDocument, in the same run.
#include "TestSupport.h"

#include "app/AppFonts.h"
#include "app/AppPaths.h"
#include "app/Nexus.h"
#include "ui/chatArea/ChatImageStruct.h"
#include "ui/chatArea/ChatLog.h"
#include "ui/chatArea/ChatMessage.h"
#include "ui/chatArea/ChatWidget.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const int kAppends = 10000;
// The chat panel in the right column of a 1920 x 1080 window.
const int kPanelWidth = 383;
const int kLogHeight = 650;
const int kWheelStep = 120;

struct Stats {
    double median = 0;
    double p95 = 0;
    double max = 0;
};

Stats Of(std::vector<double> values)
{
    Stats stats;
    if (values.empty())
        return stats;
    std::sort(values.begin(), values.end());
    stats.median = values[values.size() / 2];
    stats.p95 = values[std::min(values.size() - 1, values.size() * 95 / 100)];
    stats.max = values.back();
    return stats;
}

QString Sentence(QRandomGenerator& random)
{
    static const QStringList words { "老师", "同学们", "今天", "复习", "第三单元", "hello", "because", "作业", "明白了",
        "question", "过去完成时", "好的", "谢谢", "please", "repeat", "练习册" };
    const int count = 1 + random.bounded(random.bounded(10) == 0 ? 120 : 20);
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << words.at(random.bounded(words.size()));
    return parts.join(QLatin1Char(' '));
}

double Ms(qint64 ns)
{
    return ns / 1e6;
}

// The bare layout the text items do: HTML into a document, natural width,
// then wrapped at the panel's width when wider.
double BareLayout(QTextDocument& document, const QString& text, const QFont& font, double limit)
{
    QElapsedTimer clock;
    clock.start();
    document.setDefaultFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setHtml(ChatMessage::Markup(text));
    document.setTextWidth(-1);
    if (document.documentLayout()->blockBoundingRect(document.firstBlock()).width() > limit)
        document.setTextWidth(limit);
    volatile double height = document.size().height();
    Q_UNUSED(height);
    return Ms(clock.nsecsElapsed());
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    AppPaths::ApplyIdentity();
    QApplication app(argc, argv);
    AppFonts::Install();
    QApplication::setFont(QFont(QStringLiteral("Microsoft YaHei UI"), 9));
    Nexus::Startup();
    ChatWidget panel;
    panel.resize(kPanelWidth, kLogHeight + 100);
    Nexus::SetChatWidget(&panel);

    ChatLog log;
    log.resize(kPanelWidth, kLogHeight);
    log.show();
    QCoreApplication::processEvents();

    QRandomGenerator random(20261209);
    std::vector<double> appends;
    std::vector<QString> texts;
    appends.reserve(kAppends);
    QElapsedTimer clock;
    chatImageStruct picture;
    picture.senderUid = 7;
    picture.slideSize = "400x300";
    picture.slideUrl = "https://pic.example/s.png";
    auto append = [&](const std::function<ChatLine::Ptr()>& make) {
        clock.start();
        log.appendLine(make());
        appends.push_back(Ms(clock.nsecsElapsed()));
    };
    while (int(appends.size()) < kAppends) {
        const int kind = random.bounded(20);
        if (kind == 0) {
            append([] { return ChatMessage::CreateTimeMessage(QStringLiteral("10:%1:00").arg(7)); });
        } else if (kind == 1) {
            append([] {
                return ChatMessage::CreateSystemMessage(QStringLiteral(" 李明 给老师点了赞：老师辛苦啦~"), false);
            });
        } else if (kind < 4) {
            picture.imageId = QString::number(appends.size());
            append([] { return ChatMessage::CreateSenderMessage(QStringLiteral("王老师"), true, false); });
            append([&] { return ChatMessage::CreateImageMessage(picture); });
        } else {
            const QString text = Sentence(random);
            texts.push_back(text);
            const bool own = kind % 3 == 0;
            append([own] {
                return ChatMessage::CreateSenderMessage(
                    own ? QStringLiteral("我") : QStringLiteral("张华"), false, own);
            });
            append([&] { return ChatMessage::CreateTextMessage(text, own); });
        }
        if (appends.size() % 200 == 0)
            QCoreApplication::processEvents();
    }
    appends.resize(kAppends);

    QTextDocument document;
    document.setUndoRedoEnabled(false);
    QFont font = QApplication::font();
    font.setPixelSize(14);
    std::vector<double> bare;
    for (const QString& text : texts)
        bare.push_back(BareLayout(document, text, font, kPanelWidth - 20));

    // Scroll end to end, painting each frame.
    QScrollBar* bar = log.verticalScrollBar();
    std::vector<double> frames;
    bar->setValue(0);
    QCoreApplication::processEvents();
    for (int value = 0; value <= bar->maximum(); value += kWheelStep) {
        clock.start();
        bar->setValue(value);
        // The scroll moves what is painted and asks for the uncovered
        // strip; the frame ends when that is painted.
        QCoreApplication::processEvents();
        frames.push_back(Ms(clock.nsecsElapsed()));
    }

    const Stats all = Of(appends);
    const Stats early = Of(std::vector<double>(appends.begin(), appends.begin() + 1000));
    const Stats late = Of(std::vector<double>(appends.end() - 1000, appends.end()));
    const Stats layout = Of(bare);
    const Stats scroll = Of(frames);
    std::printf("chat log, %d appends in a %d x %d log (1920 x 1080 class room)\n", kAppends, kPanelWidth, kLogHeight);
    std::printf("  append, all rows:        median %.3f ms  p95 %.3f ms  max %.2f ms\n", all.median, all.p95, all.max);
    std::printf("  append, rows 1-1000:     median %.3f ms  p95 %.3f ms\n", early.median, early.p95);
    std::printf("  append, rows 9001-10000: median %.3f ms  p95 %.3f ms  (late/early p95 %.2f)\n", late.median,
        late.p95, early.p95 > 0 ? late.p95 / early.p95 : 0.0);
    std::printf("  bare QTextDocument layout of the %zu texts: median %.3f ms  p95 %.3f ms\n", bare.size(),
        layout.median, layout.p95);
    std::printf("  append / bare layout: median %.2f  p95 %.2f\n", all.median / layout.median, all.p95 / layout.p95);
    std::printf("  scroll, %zu frames of %d px: median %.3f ms  p95 %.3f ms  max %.2f ms\n", frames.size(), kWheelStep,
        scroll.median, scroll.p95, scroll.max);
    std::printf("  targets: p95 append < 2 ms (%s), no growth (%s), scroll < 8 ms a frame (%s)\n",
        all.p95 < 2 ? "met" : "MISSED", late.p95 <= early.p95 * 1.5 ? "met" : "MISSED",
        scroll.max < 8       ? "met"
            : scroll.p95 < 8 ? "p95 met"
                             : "MISSED");
    Nexus::SetChatWidget(nullptr);
    return 0;
}

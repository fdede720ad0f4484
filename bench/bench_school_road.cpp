// The school road of a teacher with 2,000 past sessions, from the first
// request to the lists in the hub (the history page's cards built), against
// the same eight web-service requests made one after the other by a bare
// network access manager with their bodies parsed as JSON.
#include "SchoolFixture.h"
#include "ServiceFixture.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "entry/HisSchoolList.h"
#include "entry/SchoolEntryWidget.h"
#include "session/DataManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int kPastSessions = 2000;
const int kRounds = 21;

// The road's requests after the first one (the schools are known by then).
QStringList RoadPaths()
{
    const QStringList identity { "/api/schools/1/users/57", "/api/users/57", "/api/users/57/roles" };
    return identity + QStringList { "/api/s/1/tea/57/current" } + identity + QStringList { "/api/s/1/tea/57/history" };
}

// Returns milliseconds, or -1 when a request or a parse failed.
qint64 Bare(ServiceFixture& service, QNetworkAccessManager& manager)
{
    bool ok = true;
    QElapsedTimer clock;
    clock.start();
    for (const QString& path : RoadPaths()) {
        QNetworkReply* reply = manager.get(QNetworkRequest(service.HttpUrl(path)));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(reply->readAll(), &error);
        ok = ok && reply->error() == QNetworkReply::NoError && error.error == QJsonParseError::NoError
            && !document.isNull();
        reply->deleteLater();
    }
    const qint64 elapsed = clock.elapsed();
    return ok ? elapsed : -1;
}

// Returns milliseconds, or -1 when the lists did not arrive whole.
qint64 Road(DataManager* data, SchoolEntryWidget* page)
{
    // Waits asleep, as the bare requests do: a loop that polls for the
    // signals would take a core from the road and the service it measures.
    QEventLoop loop;
    bool finished = false;
    bool history = false;
    auto arrived = [&](bool* which) {
        *which = true;
        if (finished && history)
            loop.quit();
    };
    // Queued behind the hub's own handling, which builds the cards.
    QObject::connect(
        page, &SchoolEntryWidget::RequestFinished, &loop, [&] { arrived(&finished); }, Qt::QueuedConnection);
    QObject::connect(
        Nexus::Instance(), &Nexus::HistorySchoolListGet, &loop, [&] { arrived(&history); }, Qt::QueuedConnection);
    QElapsedTimer clock;
    clock.start();
    emit data->ParallelShoolInfoRequest(QStringLiteral("1"));
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    const qint64 elapsed = clock.elapsed();
    // The demo's own past sessions come with the 2,000.
    const bool whole = data->GetHistorySessions().size() > kPastSessions && page->GetHisSchoolList()->count() == 15;
    return whole ? elapsed : -1;
}

qint64 Median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qint64 Best(const std::vector<qint64>& values)
{
    return *std::min_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/plovix-bench-XXXXXX"));
    TestSupport::UseHome(home.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PLOVIX_IPINFO_HOST", "http://127.0.0.1:9");
    AppPaths::ApplyIdentity();
    QApplication app(argc, argv);
    // The service keeps the memory it frees. Handing it back to the system
    // after each large reply made the service fault twice as many pages in
    // again (about 1,100 against 560) while it built the road's history
    // reply as while it built the bare one: up to 10 ms of the service's
    // own time counted against the client. Only the service's process
    // reads this; this one has started already.
    qputenv("GLIBC_TUNABLES", "glibc.malloc.trim_threshold=268435456:glibc.malloc.mmap_threshold=268435456");
    ServiceFixture service;
    if (!service.Start()) {
        std::fprintf(stderr, "bench_school_road: %s\n", qPrintable(service.ErrorText()));
        return 1;
    }
    qputenv("PLOVIX_PICTURE_HOST", service.HttpBase().toUtf8());
    QJsonArray sessions = SchoolFixture::Demo().value("sessions").toArray();
    for (const QJsonValue& past : SchoolFixture::Series(QStringLiteral("H"), kPastSessions, -1))
        sessions.append(past);
    if (!service.LoadSchool(SchoolFixture::WithSessions(SchoolFixture::Demo(), sessions))) {
        std::fprintf(stderr, "bench_school_road: the school did not load\n");
        return 1;
    }
    // The client writes no log unless asked to.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});

    Nexus::Instance();
    Nexus::Startup();
    Profile* profile = Nexus::GetProfile();
    profile->StartThreads();
    if (!SchoolFixture::UseServiceProperties(profile, service)) {
        std::fprintf(stderr, "bench_school_road: no properties\n");
        return 1;
    }
    SchoolEntryWidget page;
    page.resize(1200, 800);
    page.SetSchoolListType(SchoolEntryWidget::ListHistory);
    Nexus::SetSchoolEntryWidget(&page);
    Nexus::SetSchoolList(page.GetSchoolList());
    Nexus::SetHisSchoolList(page.GetHisSchoolList());
    DataManager* data = profile->GetDataManager();
    data->SetUserId(57);

    // Warm both up once (schools, pictures, connections), then alternate.
    QNetworkAccessManager manager;
    Bare(service, manager);
    Road(data, &page);
    std::vector<qint64> bare;
    std::vector<qint64> road;
    for (int round = 1; round <= kRounds; ++round) {
        service.Reset();
        const qint64 b = Bare(service, manager);
        service.Reset();
        const qint64 r = Road(data, &page);
        std::printf("round %d: bare %lld ms, school road %lld ms\n", round, static_cast<long long>(b),
            static_cast<long long>(r));
        if (b < 0 || r < 0) {
            std::fprintf(stderr, "bench_school_road: a request failed or a list was incomplete\n");
            return 1;
        }
        bare.push_back(b);
        road.push_back(r);
    }
    // The best round of each shows the cost of the work; the medians show
    // what the service's and the machine's noise add.
    std::printf("school road with %d past sessions, %d rounds\n", kPastSessions, kRounds);
    std::printf("bare requests and JSON parsing: best %lld ms, median %lld ms\n", static_cast<long long>(Best(bare)),
        static_cast<long long>(Median(bare)));
    std::printf("school road to the hub's lists: best %lld ms, median %lld ms\n", static_cast<long long>(Best(road)),
        static_cast<long long>(Median(road)));
    const double b = double(Best(bare));
    const double r = double(Best(road));
    std::printf("ratio road/bare (best):         %.3f (overhead %.1f%%)\n", r / b, 100.0 * (r - b) / b);
    Nexus::SetSchoolEntryWidget(nullptr);
    Nexus::SetSchoolList(nullptr);
    Nexus::SetHisSchoolList(nullptr);
    Nexus::Teardown();
    return 0;
}

// The Debian package, built into a folder of the test's own and judged by
// the tools a distribution judges packages with.
#include "TestRegistry.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code = -1;
    QByteArray output;
};

Run Execute(const QString& program, const QStringList& args, const QString& folder = QString(), int timeoutMs = 300000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, args);
    Run run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        run.output = "did not finish: " + program.toUtf8() + '\n' + process.readAll();
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAll();
    return run;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString m_package;
    QString m_tree;

    QString InTree(const QString& path) const { return m_tree + path; }

private slots:
    void initTestCase()
    {
        const Run cpack = Execute(QStringLiteral(PLOVIX_CPACK),
            { QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                QStringLiteral(PLOVIX_BINARY_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), m_folder.path() },
            m_folder.path());
        QVERIFY2(cpack.code == 0, cpack.output.constData());
        const QStringList packages = QDir(m_folder.path()).entryList({ QStringLiteral("*.deb") });
        QCOMPARE(packages, QStringList { QStringLiteral("plovix_%1_amd64.deb").arg(PLOVIX_PACKAGE_VERSION) });
        m_package = m_folder.filePath(packages.first());
        m_tree = m_folder.filePath(QStringLiteral("tree"));
        const Run unpack = Execute(QStringLiteral("dpkg-deb"), { QStringLiteral("-x"), m_package, m_tree });
        QVERIFY2(unpack.code == 0, unpack.output.constData());
    }

    void HoldsTheClientAndNothingOfTheTests()
    {
        const Run list = Execute(QStringLiteral("dpkg-deb"), { QStringLiteral("-c"), m_package });
        QCOMPARE(list.code, 0);
        QStringList expected { "/usr/bin/plovix", "/usr/share/applications/cn.dravona.plovix.desktop",
            "/usr/share/metainfo/cn.dravona.plovix.metainfo.xml",
            "/usr/share/icons/hicolor/scalable/apps/cn.dravona.plovix.svg", "/usr/share/doc/plovix/copyright" };
        for (const char* size : { "16", "22", "24", "32", "48", "64", "128", "256", "512" })
            expected << QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/cn.dravona.plovix.png").arg(size);
        for (const QString& path : expected)
            QVERIFY2(list.output.contains(" ." + path.toUtf8() + '\n'), qPrintable(path));
        for (const char* size : { "16", "22", "24", "32", "48", "64", "128", "256", "512" }) {
            const QImage icon(
                InTree(QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/cn.dravona.plovix.png").arg(size)));
            QCOMPARE(icon.size(), QSize(atoi(size), atoi(size)));
        }
        for (const char* foreign : { "tests/", "service", "janus", "rtc_peer", "tst_", "bench", ".so" })
            QVERIFY2(!list.output.contains(foreign), foreign);
    }

    void TheDesktopFilesValidate()
    {
        const Run desktop = Execute(QStringLiteral("desktop-file-validate"),
            { InTree(QStringLiteral("/usr/share/applications/cn.dravona.plovix.desktop")) });
        QVERIFY2(desktop.code == 0 && desktop.output.trimmed().isEmpty(), desktop.output.constData());
        const Run metainfo = Execute(QStringLiteral("appstreamcli"),
            { QStringLiteral("validate"), QStringLiteral("--no-net"),
                InTree(QStringLiteral("/usr/share/metainfo/cn.dravona.plovix.metainfo.xml")) });
        QVERIFY2(metainfo.code == 0, metainfo.output.constData());
    }

    void LintianFindsNoError()
    {
        const Run lintian
            = Execute(QStringLiteral("lintian"), { QStringLiteral("--fail-on"), QStringLiteral("error"), m_package });
        QVERIFY2(lintian.code == 0 && !lintian.output.contains("\nE: ") && !lintian.output.startsWith("E: "),
            lintian.output.constData());
    }

    void DependsOnWhatItLoadsByName()
    {
        const Run depends
            = Execute(QStringLiteral("dpkg-deb"), { QStringLiteral("-f"), m_package, QStringLiteral("Depends") });
        QCOMPARE(depends.code, 0);
        QStringList names;
        for (const QByteArray& item : depends.output.trimmed().split(','))
            names << QString::fromUtf8(item.trimmed().split(' ').first());
        // From dpkg-shlibdeps: the Qt libraries the executable links.
        QVERIFY2(names.contains(QStringLiteral("libqt5widgets5")), depends.output.constData());
        for (const char* name : { "gstreamer1.0-plugins-good", "gstreamer1.0-plugins-bad", "gstreamer1.0-nice",
                 "gstreamer1.0-x", "gstreamer1.0-gl", "gstreamer1.0-pulseaudio", "gstreamer1.0-alsa", "libmpv2",
                 "fonts-noto-cjk", "qttranslations5-l10n" })
            QVERIFY2(names.contains(QLatin1String(name)), name);
        QVERIFY(!names.contains(QStringLiteral("janus")));
    }
};

PLOVIX_TEST(TestPackage)
#include "tst_Package.moc"

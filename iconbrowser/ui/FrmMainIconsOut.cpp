// Icons out of the window: a box's icon copied or dragged out, and every icon
// of the loaded file written into a folder.
#include "FrmMain.h"
#include "FileNames.h"

#include "IconBox.h"
#include "IconImage.h"
#include "PngCodec.h"
#include "Prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace glint {

namespace {

const QString pngType = QStringLiteral("image/png");

QString nameOfIcon(const IconPage& page, int icon, icons::ExportFormat format)
{
    const std::string file = fileNameBytes(QFileInfo(page.path).fileName()).toStdString();
    return fileNameText(QByteArray::fromStdString(icons::exportName(file, icon, page.count, format)));
}

} // namespace

QMimeData* FrmMain::iconMimeData(int index, QString* error)
{
    if (!icopic_[index]->holdsIcon()) return nullptr;
    const QByteArray png = iconBytes(index, false);
    if (png.isEmpty()) {
        if (error) *error = QStringLiteral("%1 no longer holds that icon").arg(shownPage_.path);
        return nullptr;
    }
    auto* data = new QMimeData;
    data->setData(pngType, png);
    data->setImageData(QImage::fromData(png, "PNG"));
    // File managers take a file: one named after the file and the icon, kept until the program ends.
    if (!dragFolder_) dragFolder_ = std::make_unique<QTemporaryDir>();
    if (dragFolder_->isValid()) {
        const QString path =
            dragFolder_->filePath(nameOfIcon(shownPage_, shownPage_.first + index, icons::ExportFormat::Png));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(png) == png.size() && file.flush())
            data->setUrls({QUrl::fromLocalFile(path)});
    }
    return data;
}

void FrmMain::mnuCopy_Click(int index)
{
    QString error;
    QMimeData* data = iconMimeData(index, &error);
    if (data)
        QApplication::clipboard()->setMimeData(data);
    else if (!error.isEmpty())
        services_.prompts->message(this, QMessageBox::Warning, title,
                                   QStringLiteral("The icon could not be copied: %1.").arg(error));
}

void FrmMain::dragIcon(int index)
{
    QMimeData* data = iconMimeData(index, nullptr);
    if (!data) return;
    auto* drag = new QDrag(icopic_[index]);
    drag->setMimeData(data);
    drag->setPixmap(QPixmap::fromImage(icopic_[index]->picture()));
    drag->exec(Qt::CopyAction);
}

void FrmMain::mnuSaveAll_Click()
{
    if (loadedPath_.isEmpty() || iconsPresent_ == 0) return;
    const SaveAllTarget target = services_.prompts->askSaveAllTarget(this);
    if (target.folder.isEmpty()) return;
    const QString path = shownPage_.path;
    const std::string fileName = fileNameBytes(QFileInfo(path).fileName()).toStdString();
    const std::filesystem::path folder(fileNameBytes(target.folder).toStdString());
    // Off the window thread: a file of thousands of icons takes a while.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    mnuSaveAll_->setEnabled(false);
    auto* watcher = new QFutureWatcher<icons::ExportResult>(this);
    connect(watcher, &QFutureWatcher<icons::ExportResult>::finished, this, [this, watcher, target] {
        QApplication::restoreOverrideCursor();
        mnuSaveAll_->setEnabled(iconsPresent_ != 0);
        const icons::ExportResult result = watcher->result();
        watcher->deleteLater();
        if (!result.failures.empty()) {
            QStringList lines;
            for (const std::string& failure : result.failures)
                lines << fileNameShown(fileNameText(QByteArray::fromStdString(failure)));
            constexpr int shownLines = 10;
            const qsizetype more = lines.size() - shownLines;
            if (more > 0) lines = lines.mid(0, shownLines) << QStringLiteral("... and %1 more").arg(more);
            services_.prompts->message(this, QMessageBox::Warning, title,
                                       QStringLiteral("%1 of the icons could not be saved into \"%2\":\n%3")
                                           .arg(result.failures.size())
                                           .arg(target.folder, lines.join(QLatin1Char('\n'))));
        }
        emit iconsSaved(result.written);
    });
    watcher->setFuture(QtConcurrent::run([path, fileName, folder, format = target.format] {
        const icons::IconReader reader{std::filesystem::path(fileNameBytes(path).toStdString())};
        return icons::exportAllIcons(reader, fileName, folder, format);
    }));
}

} // namespace glint

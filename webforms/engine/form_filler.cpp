#include "webforms/engine/form_filler.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScriptCollection>

namespace qv::webforms {

namespace {

QString ValuesJson(const TFillValues& values) {
    QJsonObject object;
    for (const auto& [key, texts] : values) {
        QJsonArray list;
        for (const std::string& text : texts) {
            list.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        }
        object.insert(QString::fromStdString(key), list);
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::vector<std::string> Strings(const QVariant& list) {
    std::vector<std::string> strings;
    for (const QVariant& item : list.toList()) {
        strings.push_back(item.toString().toStdString());
    }
    return strings;
}

// The script's answer: {fields: [[key, value], ...], filled: [key, ...],
// unfilledRequired: [key, ...]}.
TFillResult ResultFrom(const QVariantMap& answer) {
    TFillResult result;
    for (const QVariant& field : answer.value("fields").toList()) {
        const QVariantList pair = field.toList();
        if (pair.size() == 2) {
            result.Fields.emplace_back(pair[0].toString().toStdString(),
                                       pair[1].toString().toStdString());
        }
    }
    result.Filled = Strings(answer.value("filled"));
    result.UnfilledRequired = Strings(answer.value("unfilledRequired"));
    return result;
}

}  // namespace

QString FillScriptSource() {
    QFile file(":/webforms/fill_script.js");
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("The form fill script is missing from the program's resources.");
    }
    return QString::fromUtf8(file.readAll());
}

TFormFiller::TFormFiller(QWebEnginePage& page, QObject* parent) : QObject(parent), page_(&page) {
    script_.setName(QStringLiteral("quorvane-form-filler"));
    script_.setSourceCode(FillScriptSource());
    script_.setInjectionPoint(QWebEngineScript::DocumentReady);
    script_.setWorldId(kFillScriptWorld);
    script_.setRunsOnSubFrames(false);
    page.scripts().insert(script_);
    connect(&page, &QWebEnginePage::loadingChanged, this, &TFormFiller::LoadingChanged);
}

TFormFiller::~TFormFiller() {
    if (page_) {
        page_->scripts().remove(script_);
    }
}

void TFormFiller::SetValues(const TFillValues& values) {
    valuesJson_ = ValuesJson(values);
}

void TFormFiller::LoadingChanged(const QWebEngineLoadingInfo& info) {
    if (!active_ || info.status() == QWebEngineLoadingInfo::LoadStartedStatus ||
        info.status() == QWebEngineLoadingInfo::LoadStoppedStatus) {
        return;
    }
    // The engine's own texts for HTTP errors are pieces of its error page.
    const bool httpError = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
                           info.errorCode() >= 400;
    if (httpError) {
        emit LoadFailed(info.url(), QStringLiteral("HTTP status %1").arg(info.errorCode()));
    } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus || info.isErrorPage()) {
        emit LoadFailed(info.url(), info.errorString());
    } else {
        Fill();
    }
}

void TFormFiller::Fill() {
    RunFill(false);
}

void TFormFiller::RunFill(bool defineFirst) {
    if (!page_) {
        emit FillFailed(QStringLiteral("The page is gone."));
        return;
    }
    QString call = "globalThis.quorvaneForms ? quorvaneForms.fill(" + valuesJson_ + ") : null;";
    // A document that was there before the filler never got the script.
    if (defineFirst) {
        call = script_.sourceCode() + "\n;" + call;
    }
    QPointer<TFormFiller> self(this);
    page_->runJavaScript(call, kFillScriptWorld, [self, defineFirst](const QVariant& answer) {
        if (self) {
            self->FillDone(answer, defineFirst);
        }
    });
}

void TFormFiller::FillDone(const QVariant& answer, bool definedFirst) {
    if (answer.typeId() == QMetaType::QVariantMap) {
        emit Filled(ResultFrom(answer.toMap()));
    } else if (!definedFirst) {
        RunFill(true);
    } else {
        emit FillFailed(QStringLiteral("The form fill script did not run on this page."));
    }
}

TFormWalker::TFormWalker(QWebEnginePage& page, TWalkMarks& marks, TNavigate navigate,
                         QObject* parent)
    : QObject(parent), marks_(marks), navigate_(std::move(navigate)), filler_(page) {
    if (!navigate_) {
        QPointer<QWebEnginePage> target(&page);
        navigate_ = [target](const QUrl& url) {
            if (target) {
                target->load(url);
            }
        };
    }
}

TFormWalker::~TFormWalker() = default;

void TFormWalker::Start(std::vector<TWalkStop> stops, const TFillValues& values) {
    if (IsActive()) {
        walk_->Stop();
    }
    values_ = values;
    walk_ = std::make_unique<TFormWalk>(std::move(stops), marks_);
    Open();
}

void TFormWalker::SetValues(const TFillValues& values) {
    values_ = values;
    if (IsActive()) {
        filler_.SetValues(FillValuesFor(values_, walk_->Current().Official));
    }
}

void TFormWalker::Open() {
    filler_.SetActive(IsActive());
    if (IsActive()) {
        filler_.SetValues(FillValuesFor(values_, walk_->Current().Official));
    }
    emit Moved();
    if (IsActive()) {
        navigate_(QUrl::fromUserInput(QString::fromStdString(walk_->Current().Url)));
    } else {
        emit Finished();
    }
}

void TFormWalker::Moving(void (TFormWalk::*step)()) {
    if (IsActive()) {
        (walk_.get()->*step)();
        Open();
    }
}

void TFormWalker::Next() {
    Moving(&TFormWalk::Next);
}

void TFormWalker::Skip() {
    Moving(&TFormWalk::Skip);
}

void TFormWalker::Stop() {
    Moving(&TFormWalk::Stop);
}

void TFormWalker::FillAgain() {
    if (IsActive()) {
        filler_.Fill();
    }
}

}  // namespace qv::webforms

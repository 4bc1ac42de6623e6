#pragma once

#include <QString>

namespace halyard {

// Where the Slack service sends a system banner for a new live alert. postBanner returns at
// once and never fails to its caller: whatever goes wrong is the poster's to log. The alert's
// ID ties the banner to its alert, so the banner can act on it and leave with it.
class BannerPoster {
public:
    virtual ~BannerPoster() = default;
    virtual void postBanner(const QString& alertId, const QString& title, const QString& body) = 0;
    // The banner of this alert shown again with new text, in place where the poster can (a row
    // that folded in a repeat); a new banner otherwise.
    virtual void updateBanner(const QString& alertId, const QString& title, const QString& body)
    {
        postBanner(alertId, title, body);
    }
    // A more insistent banner: the second one of an alert that became overdue, or, with an empty
    // ID, one that stands for several alerts at once. A poster without such banners ignores it.
    virtual void postReminder(const QString& /*alertId*/, const QString& /*title*/,
        const QString& /*body*/, bool /*sound*/)
    {
    }

protected:
    BannerPoster() = default;
    BannerPoster(const BannerPoster&) = default;
    BannerPoster& operator=(const BannerPoster&) = default;
};

} // namespace halyard

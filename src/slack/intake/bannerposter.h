#pragma once

#include <QString>

namespace halyard {

// Where the Slack service sends a system banner for a new live alert. postBanner returns at
// once and never fails to its caller: whatever goes wrong is the poster's to log.
class BannerPoster {
public:
    virtual ~BannerPoster() = default;
    virtual void postBanner(const QString& title, const QString& body) = 0;

protected:
    BannerPoster() = default;
    BannerPoster(const BannerPoster&) = default;
    BannerPoster& operator=(const BannerPoster&) = default;
};

} // namespace halyard

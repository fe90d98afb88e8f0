"""Mail records with attachments, URLs and status logs as Python sees them."""
from wire import b, clear_path, cls, hx, round_trip

MA = "appliance_protocol.sensor.mailattachments."


def full_mail():
    mail = cls(MA + "Mail")()
    mail.message.message_id = "id"
    att = mail.attachments.add(uuid="a", file=b"\x00\xff", mime_part_path=[1, 2])
    att.file_info.md5_hash = "m"
    att.file_info.sha1_hash = "s"
    mail.urls.add(url="http://x/", uuid="u", url_analysis_status=5)
    mail.local_detections.add(detector="d", action=2)
    status = mail.mail_status
    status.upload_timestamp = 1
    status.upload_counter = 2
    status.processing_progress.add(mail_processing_state=5, update_timestamp=3)
    attempt = status.delivery_progress.add(reason=1, success=False, delivery_timestamp=4)
    attempt.host.ip_address.type = 4
    attempt.host.ip_address.address = b"\x0a\x00\x00\x01"
    status.quarantine_log.add(quarantine_status=3, update_timestamp=5, action_uuid="q")
    return mail


def test_full_mail_round_trip():
    mail = full_mail()
    assert mail.IsInitialized()
    _, data = round_trip(mail)
    assert hx(data).startswith("0A 04 0A 02 69 64 12 ")


def test_required_fields_deep_inside():
    for path in ("mail_status.delivery_progress[0].host.ip_address.address",
                 "mail_status.delivery_progress[0].success",
                 "mail_status.processing_progress[0].update_timestamp",
                 "mail_status.quarantine_log[0].quarantine_status",
                 "attachments[0].file_info.md5_hash", "urls[0].url", "local_detections[0].detector"):
        mail = full_mail()
        clear_path(mail, path)
        assert mail.FindInitializationErrors() == [path]


def test_mail_urls_merge_appends_and_merges_message():
    MailURLs = cls("appliance_protocol.sensor.mailurls.MailURLs")
    a = MailURLs.FromString(b("0A 03 0A 01 69 12 01 61"))
    other = MailURLs.FromString(b("0A 03 2A 01 73 12 01 61 12 00"))
    a.MergeFrom(other)
    assert list(a.urls) == ["a", "a", ""]
    assert a.message.message_id == "i" and a.message.subject == "s"

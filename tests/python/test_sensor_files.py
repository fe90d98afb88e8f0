"""An IDS download as Python sees it, through the compiled classes found by name."""
import pytest
from google.protobuf import message, text_format

from wire import b, clear_path, cls, hx, round_trip

IDSDownload = cls("appliance_protocol.sensor.idsdownload.IDSDownload")

FULL = """
timestamp: 1700000000 hash_type: MD5 hash: "d41d8cd98f00b204e9800998ecf8427e"
connection { transport_protocol: TCP src_port: 49152 dst_port: 80
  src_host { ip_address { type: V4 address: "\\n\\000\\000\\001" } }
  dst_host { ip_address { type: V6 address: "\\376\\200\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\001" } } }
filename: "setup.exe" request { domain { hostname: "example.test" } method: GET path: "/setup.exe" }
magic: "PE32" size: 4096 task_id: "t-1" hash2_type: SHA1 hash2: "da39a3ee5e6b4b0d3255bfef95601890afd80709"
errors { code: 7 message: "truncated" } errors { code: 9 }
dst_hostname { hostname: "example.test" } pcap_packets: 12 conn_history: "ShADadfF"
file { filename: "setup.exe" md5_hash: "d41d8cd98f00b204e9800998ecf8427e"
  sha1_hash: "da39a3ee5e6b4b0d3255bfef95601890afd80709" upload_status: PELLUCAN_SUBMITTED_FILE_NEW
  features { feature: "signed" value: "no" } archive_chain { archive_filename: "a.zip" } update_timestamp: 300 }
ftp_transfer { mode: FTP_MODE_PASSIVE direction: FTP_DIR_DOWNLOAD path: "/pub" }
smb2_transfer { direction: SMB2_DIR_READ mount_point: "\\\\\\\\srv\\\\share" }
integration_tool { vendor_name: "v" tool_name: "t" tool_version: "1.0" }
action: IDS_DOWNLOAD_BLOCK http_transfer { direction: HTTP_DIR_DOWNLOAD } is_client_relevant_host: false
"""


def full():
    return text_format.Parse(FULL, IDSDownload())


def test_full_round_trip():
    d = full()
    assert d.IsInitialized()
    back, data = round_trip(d)
    assert back.HasField("is_client_relevant_host") and hx(data).endswith("A0 01 02 AA 01 02 08 01 B0 01 00")
    assert back.file.archive_chain[0].archive_filename == "a.zip"
    assert [e.code for e in back.errors] == [7, 9]
    assert back.connection.transport_protocol == 6 and back.connection.dst_port == 80


@pytest.mark.parametrize("path", ["integration_tool.tool_version", "file.sha1_hash", "ftp_transfer.direction",
                                  "connection.src_host.ip_address.address", "request.domain"])
def test_nested_required_field_missing(path):
    d = full()
    clear_path(d, path)
    assert not d.IsInitialized()
    assert d.FindInitializationErrors() == [path]
    with pytest.raises(message.EncodeError, match=path.replace(".", r"\.")):
        d.SerializeToString()
    round_trip(d, partial=True)


def test_invalid_action_kept_as_unknown_varint():
    d = IDSDownload.FromString(b("08 01 10 01 1A 01 61 A0 01 03 B0 01 01"))
    assert not d.HasField("action") and d.action == 1  # IDS_DOWNLOAD_LOG
    assert hx(d.SerializeToString()) == "08 01 10 01 1A 01 61 B0 01 01 A0 01 03"

"""The device-information report and the public-address look-up."""

import json

from aiohttp import web

from . import recording

# A documentation address: the service only plays the look-up.
PUBLIC_ADDRESS = {"ip": "203.0.113.7", "city": "杭州", "isp": "电信"}


def routes(state):
    table = web.RouteTableDef()

    @table.post("/api/stats")
    async def device_report(request):
        try:
            report = json.loads(request["body"].decode("utf-8"))
        except ValueError:
            return recording.json_error(400, "report is not JSON")
        if not isinstance(report, dict):
            return recording.json_error(400, "report is not an object")
        state.store.setdefault("reports", []).append(report)
        return web.json_response({"returncode": "SUCCESS", "message": "ok"})

    @table.get("/service/getIpInfo.php")
    async def ip_info(request):
        if request.query.get("ip") != "myip":
            return web.json_response({"code": 1, "data": "ip=myip only"})
        return web.json_response({"code": 0, "data": dict(PUBLIC_ADDRESS)})

    return table
